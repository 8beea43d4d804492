#include <gtest/gtest.h>

#include "core/app_icon.hpp"

namespace korvane {
namespace {

// The 16 x 16 picture row by row: . transparent, B board, W sheet, L text line, C clip.
constexpr const char* ICON_16[] = {
    ".....CCCCCC.....",
    ".....CCCCCC.....",
    "..BBBCCCCCCBBB..",
    "..BBBBBBBBBBBB..",
    "..BBWWWWWWWWBB..",
    "..BBWWWWWWWWBB..",
    "..BBWLLLLLLWBB..",
    "..BBWWWWWWWWBB..",
    "..BBWLLLLLLWBB..",
    "..BBWWWWWWWWBB..",
    "..BBWWWWWWWWBB..",
    "..BBWLLLLLLWBB..",
    "..BBWWWWWWWWBB..",
    "..BBWWWWWWWWBB..",
    "..BBBBBBBBBBBB..",
    "..BBBBBBBBBBBB..",
};

char letter(uint32_t pixel) {
    switch (pixel) {
    case 0: return '.';
    case 0xFF2B6CB0: return 'B';
    case 0xFFFFFFFF: return 'W';
    case 0xFF8A99AA: return 'L';
    case 0xFF3A3A3A: return 'C';
    }
    return '?';
}

TEST(AppIcon, SixteenPixelsMatchThePictureRowByRow) {
    const std::vector<uint32_t> pixels = app_icon_pixels(16);
    ASSERT_EQ(pixels.size(), 256u);
    for (int row = 0; row < 16; ++row) {
        std::string drawn;
        for (int column = 0; column < 16; ++column) drawn += letter(pixels[size_t(row) * 16 + size_t(column)]);
        EXPECT_EQ(drawn, ICON_16[row]) << "row " << row;
    }
}

TEST(AppIcon, SizeFollowsTheSmallIconMetricButNeverBelowSixteen) {
    EXPECT_EQ(app_icon_size(12), 16);
    EXPECT_EQ(app_icon_size(16), 16);
    EXPECT_EQ(app_icon_size(20), 20);
    EXPECT_EQ(app_icon_size(32), 32);
    const std::vector<uint32_t> twenty = app_icon_pixels(20);
    EXPECT_EQ(twenty.size(), 400u);
    EXPECT_EQ(twenty[0], 0u);                    // the corners stay transparent
    EXPECT_EQ(twenty[9 * 20 + 10], 0xFFFFFFFFu);  // the sheet between two text lines
}

}  // namespace
}  // namespace korvane
