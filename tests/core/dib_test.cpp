#include <gtest/gtest.h>

#include <cstring>

#include "core/clipboard_data.hpp"
#include "core/dib.hpp"
#include "core/drop_list.hpp"

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

void put_u32(Bytes& block, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(CheckDibPixels, UncompressedBlocksMustHoldEveryDeclaredRow) {
    struct Case {
        const char* what;
        Header header;
        size_t total;
        bool accepted;
    } cases[] = {
        {"24-bit rows padded to 12 bytes", {.width = 3, .height = 2, .bits = 24}, 64, true},
        {"24-bit, one byte short", {.width = 3, .height = 2, .bits = 24}, 63, false},
        {"top-down, one byte short", {.width = 3, .height = -2, .bits = 24}, 63, false},
        {"1-bit after a 2-colour table", {.width = 33, .height = 1, .bits = 1}, 56, true},
        {"1-bit, one byte short", {.width = 33, .height = 1, .bits = 1}, 55, false},
        {"4-bit after a 16-colour table", {.width = 3, .height = 2, .bits = 4}, 112, true},
        {"4-bit, one byte short", {.width = 3, .height = 2, .bits = 4}, 111, false},
        {"16-bit with masks", {.width = 3, .height = 1, .bits = 16, .compression = 3}, 60, true},
        {"16-bit with masks, short", {.width = 3, .height = 1, .bits = 16, .compression = 3}, 59, false},
        {"32-bit with alpha masks", {.width = 1, .height = 1, .bits = 32, .compression = 6}, 60, true},
        {"V4 header", {.size = 108, .width = 1, .height = 1}, 112, true},
        // A row of 2^32 bytes is 0 in 32 bits; 2^31 rows of 2^33 bytes nearly fill 64 bits.
        {"row size that wraps in 32 bits", {.width = 0x40000000, .height = 1}, 56, false},
        {"largest declared picture", {.width = 0x7FFFFFFF, .height = INT32_MIN}, 56, false},
        {"no bit count", {.bits = 0}, 56, false},
        {"2-bit pixels", {.bits = 2}, 56, false},
        {"24-bit with masks", {.width = 1, .height = 1, .bits = 24, .compression = 3}, 60, false},
        {"core header size", {.size = 12}, 56, false},
        {"unknown header size", {.size = 64}, 80, false},
        {"JPEG", {.compression = 4}, 400, false},
        {"PNG", {.compression = 5}, 400, false},
        {"CMYK", {.compression = 11}, 400, false},
    };
    for (const Case& c : cases) {
        const Bytes block = dib(c.header, c.total);
        EXPECT_EQ(check_dib_pixels(block).has_value(), c.accepted) << c.what;
        if (c.accepted) EXPECT_EQ(check_dib_pixels(block), check_dib(block)) << c.what;
    }
    EXPECT_TRUE(check_dib(dib({.size = 12}, 56)));  // the header check alone lets it through
}

constexpr uint32_t RLE8 = 1, RLE4 = 2;

// A run-length picture 4 x 2 with a one-colour table: pixels at 44.
Bytes rle_picture(const Bytes& stream, uint32_t declared, uint32_t compression = RLE8, uint16_t bits = 8,
                  int32_t height = 2) {
    Bytes block = dib({.width = 4, .height = height, .bits = bits, .compression = compression, .colours_used = 1}, 44);
    put_u32(block, 20, declared);
    block.insert(block.end(), stream.begin(), stream.end());
    return block;
}

TEST(CheckDibPixels, RunLengthStreamsMustEndInsideTheirDeclaredSize) {
    // A run, an end of line, a move, an absolute run of 3 padded to 4 bytes, the end of the bitmap.
    const Bytes stream{4, 7, 0, 0, 0, 2, 1, 0, 0, 3, 1, 2, 3, 0, 0, 1};
    const auto size = static_cast<uint32_t>(stream.size());
    EXPECT_EQ(check_dib_pixels(rle_picture(stream, size)), (DibInfo{44, 4, 2}));
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream, size - 1)));  // the end mark is outside
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream, size + 1)));  // declared beyond the block
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream, 0)));
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream, size, RLE8, 8, -2)));  // top-down is not allowed
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream, size, RLE8, 4)));  // bit count of the other form
    Bytes no_end = stream;
    no_end.back() = 0;  // an end of line instead of the end of the bitmap
    EXPECT_FALSE(check_dib_pixels(rle_picture(no_end, size)));
    const Bytes cut_absolute{0, 5, 1, 2, 3};  // five literal bytes announced, three present
    EXPECT_FALSE(check_dib_pixels(rle_picture(cut_absolute, 5)));

    // Four-bit literals: five pixels take three bytes, padded to four.
    const Bytes stream4{0, 5, 0x12, 0x34, 0x50, 0, 0, 1};
    EXPECT_TRUE(check_dib_pixels(rle_picture(stream4, 8, RLE4, 4)));
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream4, 7, RLE4, 4)));
    EXPECT_FALSE(check_dib_pixels(rle_picture(stream4, 8, RLE4, 8)));
}

TEST(CheckDibPixels, PicturesLargerThanGdiCanDrawAreRefused) {
    // Run-length pictures whose stream is just its end mark: only the size decides.
    const auto rle = [](int32_t width, int32_t height) {
        Bytes block = dib({.width = width, .height = height, .bits = 8, .compression = RLE8, .colours_used = 1}, 44);
        put_u32(block, 20, 2);
        block.insert(block.end(), {0, 1});
        return block;
    };
    EXPECT_TRUE(check_dib_pixels(rle(67108863, 1)));  // the widest: 32 x width + 31 bits is 2^31 - 1
    EXPECT_FALSE(check_dib_pixels(rle(67108864, 1)));
    EXPECT_TRUE(check_dib_pixels(rle(1, 67108863)));
    EXPECT_FALSE(check_dib_pixels(rle(1, 67108864)));
    EXPECT_TRUE(check_dib_pixels(rle(23170, 23170)));  // 2,147,395,600 bytes at 32 bits a pixel
    EXPECT_FALSE(check_dib_pixels(rle(23171, 23170)));  // 2,147,488,280
    EXPECT_FALSE(check_dib_pixels(rle(100000, 100000)));
    EXPECT_TRUE(check_dib(rle(100000, 100000)));  // captured all the same, and shown by its size

    // An uncompressed row of 2^26 pixels holds all its bytes and is still too wide.
    Bytes row = dib({.width = 67108864, .height = 1, .bits = 1, .colours_used = 2}, 48 + 67108864 / 8);
    EXPECT_FALSE(check_dib_pixels(row));
    put_u32(row, 4, 67108863);
    EXPECT_TRUE(check_dib_pixels(row));
}

TEST(CheckDibPixels, ColourProfileNamedByV5HeaderMustLieInsideTheBlock) {
    const auto v5 = [](uint32_t profile_type, size_t total) {
        Bytes block = dib({.size = 124, .width = 1, .height = 1}, total);
        put_u32(block, 56, profile_type);
        put_u32(block, 112, 128);  // profile offset from the header's start
        put_u32(block, 116, 16);
        return block;
    };
    constexpr uint32_t EMBEDDED = 0x4D424544, LINKED = 0x4C494E4B, SRGB = 0x73524742;
    EXPECT_TRUE(check_dib_pixels(v5(EMBEDDED, 144)));
    EXPECT_FALSE(check_dib_pixels(v5(EMBEDDED, 143)));
    EXPECT_FALSE(check_dib_pixels(v5(LINKED, 143)));
    EXPECT_TRUE(check_dib_pixels(v5(SRGB, 128)));  // the profile fields mean nothing then
}

TEST(DropFileCount, CountsTheNamesOfEitherWidthAndNothingForABlockThatFailsTheCheck) {
    EXPECT_EQ(drop_file_count(encode_drop_block({})), 0u);
    EXPECT_EQ(drop_file_count(encode_drop_block({u"C:\\a"})), 1u);
    EXPECT_EQ(drop_file_count(encode_drop_block({u"C:\\a", u"D:\\b", u"E:\\c"})), 3u);
    Bytes narrow = encode_drop_block({});
    narrow[16] = 0;
    narrow.resize(20);
    narrow.insert(narrow.end(), {'a', 0, 'b', 'c', 0, 0});
    EXPECT_EQ(drop_file_count(narrow), 2u);
    Bytes unterminated = encode_drop_block({u"C:\\a"});
    unterminated.resize(unterminated.size() - 2);
    EXPECT_FALSE(drop_file_count(unterminated));
}

TEST(ParseDropBlock, ReturnsThePathsOfWideListsExactlyAsStored) {
    const std::vector<FilePath> paths{u"C:\\a.txt", u"D:\\dir", std::u16string(1, u'\xD800')};
    EXPECT_EQ(parse_drop_block(encode_drop_block(paths)), paths);
    EXPECT_EQ(parse_drop_block(encode_drop_block({})), std::vector<FilePath>{});
    Bytes trailing = encode_drop_block(paths);
    trailing.insert(trailing.end(), {'x', 0, 0, 0});  // bytes after the list are not names
    EXPECT_EQ(parse_drop_block(trailing), paths);
    Bytes later = encode_drop_block({u"E:\\b"});  // the list may start after some padding
    later.insert(later.begin() + 20, {0xFF, 0xFF, 0xFF, 0xFF});
    later[0] = 24;
    EXPECT_EQ(parse_drop_block(later), std::vector<FilePath>{u"E:\\b"});

    Bytes unterminated = encode_drop_block(paths);
    unterminated.resize(unterminated.size() - 2);
    EXPECT_FALSE(parse_drop_block(unterminated));
    Bytes narrow = encode_drop_block({});
    narrow[16] = 0;
    narrow.resize(20);
    narrow.insert(narrow.end(), {'a', 0, 0});
    ASSERT_TRUE(check_drop_block(narrow));
    EXPECT_FALSE(parse_drop_block(narrow));  // 8-bit names are left to the shell
}

TEST(ParseNarrowDropBlock, ReturnsTheBytesOfEach8BitNameAndNothingForWideOrBrokenLists) {
    Bytes narrow = encode_drop_block({});
    narrow[16] = 0;
    narrow.resize(20);
    narrow.insert(narrow.end(), {'C', ':', '\\', 0xE9, 0, 'b', 0, 0, 'x', 0});  // bytes after the list are not names
    EXPECT_EQ(parse_narrow_drop_block(narrow), (std::vector<std::string>{"C:\\\xE9", "b"}));
    narrow.resize(20);
    narrow.push_back(0);
    EXPECT_EQ(parse_narrow_drop_block(narrow), std::vector<std::string>{});
    narrow.resize(20);
    narrow.insert(narrow.end(), {'a', 0});  // the list's terminator is missing
    EXPECT_FALSE(parse_narrow_drop_block(narrow));
    EXPECT_FALSE(parse_narrow_drop_block(encode_drop_block({u"C:\\a"})));  // wide names are parse_drop_block's
}

}  // namespace
}  // namespace korvane
