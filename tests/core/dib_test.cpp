#include <gtest/gtest.h>

#include <cstring>

#include "core/clipboard_data.hpp"
#include "core/dib.hpp"

namespace korvane {
namespace {

struct Header {
    uint32_t size = 40;
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bits = 32;
    uint32_t compression = 0;
    uint32_t colours_used = 0;
};

Bytes dib(const Header& h, size_t total) {
    Bytes b(total, 0);
    const auto put = [&](size_t at, const void* v, size_t n) {
        if (at + n <= b.size()) std::memcpy(&b[at], v, n);
    };
    const uint16_t planes = 1;
    put(0, &h.size, 4);
    put(4, &h.width, 4);
    put(8, &h.height, 4);
    put(12, &planes, 2);
    put(14, &h.bits, 2);
    put(16, &h.compression, 4);
    put(32, &h.colours_used, 4);
    return b;
}

TEST(CheckDib, AcceptsPicturesWhosePixelsStartInsideTheBlock) {
    const auto info = check_dib(dib({}, 56));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pixel_offset, 40u);
    EXPECT_EQ(info->width, 2);
    EXPECT_EQ(info->height, 2u);
    Header top_down;
    top_down.height = -3;
    EXPECT_EQ(check_dib(dib(top_down, 64))->height, 3u);
    Header palette;
    palette.bits = 8;  // 256 colours: 40 + 1024
    EXPECT_EQ(check_dib(dib(palette, 1065))->pixel_offset, 1064u);
    EXPECT_FALSE(check_dib(dib(palette, 1064)));
    Header masks;
    masks.compression = 3;
    EXPECT_EQ(check_dib(dib(masks, 60))->pixel_offset, 52u);
    masks.compression = 6;
    EXPECT_EQ(check_dib(dib(masks, 60))->pixel_offset, 56u);
    Header v5;
    v5.size = 124;
    v5.compression = 3;  // a larger header holds its masks itself
    EXPECT_EQ(check_dib(dib(v5, 140))->pixel_offset, 124u);
    Header few_colours;
    few_colours.bits = 8;
    few_colours.colours_used = 2;
    EXPECT_EQ(check_dib(dib(few_colours, 50))->pixel_offset, 48u);
}

TEST(CheckDib, RejectsEmptySizesShortBlocksAndSizesThatWouldWrap) {
    EXPECT_FALSE(check_dib(dib({}, 40)));  // header only
    EXPECT_FALSE(check_dib(Bytes(39, 0)));
    Header zero_width;
    zero_width.width = 0;
    EXPECT_FALSE(check_dib(dib(zero_width, 56)));
    Header negative_width;
    negative_width.width = -2;
    EXPECT_FALSE(check_dib(dib(negative_width, 56)));
    Header zero_height;
    zero_height.height = 0;
    EXPECT_FALSE(check_dib(dib(zero_height, 56)));
    // In 32 bits these sums wrap around to small offsets inside the block.
    Header huge_header;
    huge_header.size = 0xFFFFFFF8;
    EXPECT_FALSE(check_dib(dib(huge_header, 56)));
    Header huge_table;
    huge_table.colours_used = 0x40000001;  // 4 * this wraps to 4
    EXPECT_FALSE(check_dib(dib(huge_table, 56)));
    Header min_height;
    min_height.height = INT32_MIN;
    EXPECT_EQ(check_dib(dib(min_height, 56))->height, 0x80000000u);
}

TEST(CheckDropBlock, AcceptsOnlyListsThatLieInsideAndAreTerminated) {
    EXPECT_TRUE(check_drop_block(encode_drop_block({u"C:\\a", u"D:\\b"})));
    EXPECT_TRUE(check_drop_block(encode_drop_block({})));
    Bytes outside = encode_drop_block({u"C:\\a"});
    outside[0] = 200;
    EXPECT_FALSE(check_drop_block(outside));
    Bytes into_header = encode_drop_block({u"C:\\a"});
    into_header[0] = 4;
    EXPECT_FALSE(check_drop_block(into_header));
    Bytes unterminated = encode_drop_block({u"C:\\a"});
    unterminated.resize(unterminated.size() - 2);  // the name's zero is there, the list's is not
    EXPECT_FALSE(check_drop_block(unterminated));
    unterminated.resize(unterminated.size() - 2);
    EXPECT_FALSE(check_drop_block(unterminated));
    EXPECT_FALSE(check_drop_block(Bytes(19, 0)));
    Bytes narrow = encode_drop_block({});
    narrow[16] = 0;  // single-byte names: "ab\0\0"
    narrow.resize(20);
    for (uint8_t c : {uint8_t('a'), uint8_t('b'), uint8_t(0), uint8_t(0)}) narrow.push_back(c);
    EXPECT_TRUE(check_drop_block(narrow));
    narrow.pop_back();
    EXPECT_FALSE(check_drop_block(narrow));
    Bytes odd = encode_drop_block({u"C:\\a"});
    odd.pop_back();  // half a unit at the end does not count
    EXPECT_FALSE(check_drop_block(odd));
}

}  // namespace
}  // namespace korvane
