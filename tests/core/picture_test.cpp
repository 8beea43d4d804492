#include <gtest/gtest.h>

#include "core/picture.hpp"

namespace korvane {
namespace {

std::vector<uint8_t> solid(uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    std::vector<uint8_t> p(PICTURE_BYTES);
    for (size_t i = 0; i < p.size(); i += 4) p[i] = b, p[i + 1] = g, p[i + 2] = r, p[i + 3] = a;
    return p;
}

TEST(ScalePicture, AveragesSixteenSamplesPerPixelKeepingByteOrder) {
    const std::vector<uint8_t> scaled = scale_picture_pixels(solid(10, 20, 30, 40), 36);
    ASSERT_EQ(scaled.size(), 36u * 36u * 4u);
    EXPECT_EQ(std::vector<uint8_t>(scaled.begin(), scaled.begin() + 4), (std::vector<uint8_t>{10, 20, 30, 40}));

    // Columns 0 to 45 opaque white, the rest transparent.  At 48 pixels each target pixel
    // samples 2 source columns; at 36, column 17 samples source columns 45, 46, 47, 47.
    std::vector<uint8_t> halves(PICTURE_BYTES, 0);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 46; ++x)
            for (int c = 0; c < 4; ++c) halves[(size_t(y) * 96 + size_t(x)) * 4 + size_t(c)] = 255;
    const std::vector<uint8_t> at48 = scale_picture_pixels(halves, 48);
    EXPECT_EQ(at48[(0 * 48 + 22) * 4 + 3], 255);
    EXPECT_EQ(at48[(0 * 48 + 23) * 4 + 3], 0);
    const std::vector<uint8_t> at36 = scale_picture_pixels(halves, 36);
    EXPECT_EQ(at36[(0 * 36 + 17) * 4 + 3], (255 * 4) >> 4);  // one sample column of four is white
    EXPECT_EQ(at36[(0 * 36 + 16) * 4 + 3], 255);
}

TEST(ScalePicture, HandlesOddSizesAndBadInput) {
    EXPECT_TRUE(scale_picture_pixels(solid(1, 2, 3, 4), 0).empty());
    const std::vector<uint8_t> big = scale_picture_pixels(solid(1, 2, 3, 4), 200);  // samples clamp at 95
    EXPECT_EQ(big[(199 * 200 + 199) * 4 + 2], 3);
    const std::vector<uint8_t> wrong = scale_picture_pixels(std::vector<uint8_t>(100, 255), 16);
    EXPECT_EQ(wrong, std::vector<uint8_t>(16 * 16 * 4, 0));
}

TEST(ThumbnailSize, FitsWithoutEnlargingAndNeverBelowOnePixel) {
    EXPECT_EQ(thumbnail_size(10, 400, 16, 16), (Size{1, 16}));  // 0.4 rounds to 0, raised to 1
    EXPECT_EQ(thumbnail_size(8, 4, 16, 16), (Size{8, 4}));       // smaller than the area: as it is
    EXPECT_EQ(thumbnail_size(200, 100, 16, 16), (Size{16, 8}));
    EXPECT_EQ(thumbnail_size(3, 1, 16, 16), (Size{3, 1}));
    EXPECT_EQ(thumbnail_size(2000, 30, 16, 16), (Size{16, 1}));  // 0.24
    EXPECT_EQ(thumbnail_size(33, 32, 16, 16), (Size{16, 16}));   // 15.52 rounds up
    EXPECT_EQ(thumbnail_size(0x7FFFFFFF, 1, 16, 16), (Size{16, 1}));
}

TEST(RoundSaturated, RoundsHalvesAwayFromZeroAndClamps) {
    EXPECT_EQ(round_saturated(2.5), 3);
    EXPECT_EQ(round_saturated(-2.5), -3);
    EXPECT_EQ(round_saturated(1e12), INT32_MAX);
    EXPECT_EQ(round_saturated(-1e12), INT32_MIN);
}

}  // namespace
}  // namespace korvane
