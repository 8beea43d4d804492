#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "core/logo.hpp"
#include "ico_writer.hpp"

namespace korvane {
namespace {

// A pixel as a letter: . transparent, B board, G the paused board, W sheet, L text line, C clip.
char letter(uint32_t pixel) {
    switch (pixel) {
    case 0: return '.';
    case 0xFF7A7A7A: return 'G';
    case 0xFF2B6CB0: return 'B';
    case 0xFFFFFFFF: return 'W';
    case 0xFF8A99AA: return 'L';
    case 0xFF3A3A3A: return 'C';
    }
    return '?';
}

// The letters met along a row or a column, each run of one colour once.
std::string runs(const std::vector<uint32_t>& pixels, int size, bool column, int at) {
    std::string seen;
    for (int i = 0; i < size; ++i) {
        const char c = letter(pixels[column ? size_t(i) * size_t(size) + size_t(at) : size_t(at) * size_t(size) + size_t(i)]);
        if (seen.empty() || seen.back() != c) seen += c;
    }
    return seen;
}

// The runs without the transparent margin above and below, which only the larger sizes have.
std::string inside(std::string runs) {
    if (runs.starts_with('.')) runs.erase(0, 1);
    if (runs.ends_with('.')) runs.pop_back();
    return runs;
}

// What makes the picture read as a clipboard at every size Windows asks for: down its middle the
// clip, the board, then the sheet with three separate text lines (paused: none); across its
// middle the board either side of the sheet, and while paused the two bars of a pause sign;
// transparent corners and nothing half-transparent.
TEST(Logo, ReadsAsAClipboardInEitherLookAtEverySize) {
    for (const int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        const std::vector<uint32_t> capturing = logo_pixels(size);
        const std::vector<uint32_t> paused = logo_pixels(size, LogoLook::Paused);
        ASSERT_EQ(capturing.size(), size_t(size) * size_t(size));
        EXPECT_EQ(inside(runs(capturing, size, true, size / 2)), "CBWLWLWLWB") << size;
        EXPECT_EQ(runs(capturing, size, false, size * 485 / 1000), ".BWB.") << size;  // between two lines
        EXPECT_EQ(inside(runs(paused, size, true, size / 2)), "CGWG") << size;
        EXPECT_EQ(runs(paused, size, false, size / 2), ".GWCWCWG.") << size;
        for (const std::vector<uint32_t>* pixels : {&capturing, &paused}) {
            for (const size_t corner : {size_t(0), size_t(size - 1), size_t(size) * size_t(size - 1), pixels->size() - 1})
                EXPECT_EQ((*pixels)[corner], 0u) << size;
            for (const uint32_t pixel : *pixels) EXPECT_NE(letter(pixel), '?') << size;
        }
    }
}

TEST(Logo, SizeFollowsTheSmallIconMetricButNeverBelowSixteen) {
    EXPECT_EQ(logo_size(12), 16);
    EXPECT_EQ(logo_size(16), 16);
    EXPECT_EQ(logo_size(20), 20);
    EXPECT_EQ(logo_size(32), 32);
}

using Bytes = std::vector<uint8_t>;

uint32_t u16_at(const Bytes& bytes, size_t at) { return bytes[at] | uint32_t(bytes[at + 1]) << 8; }
uint32_t u32_at(const Bytes& bytes, size_t at) { return u16_at(bytes, at) | u16_at(bytes, at + 2) << 16; }
uint32_t big_endian_at(const Bytes& bytes, size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// An inflater for what the writer produces: a zlib stream of fixed-Huffman blocks.  Written from
// the format's description, so that the writer is checked against the format, not itself.
class Inflater {
public:
    explicit Inflater(const Bytes& stream) : in_(stream) {}

    std::optional<Bytes> run() {
        if (in_.size() < 6 || (in_[0] * 256u + in_[1]) % 31 != 0 || (in_[0] & 0x0F) != 8) return std::nullopt;
        at_ = 16;
        Bytes out;
        bool last = false;
        while (!last) {
            last = bits(1) == 1;
            if (bits(2) != 1 || !block(out)) return std::nullopt;
        }
        const size_t end = (at_ + 7) / 8;
        if (end + 4 != in_.size() || big_endian_at(in_, end) != adler32(out.data(), out.size())) return std::nullopt;
        return out;
    }

private:
    bool block(Bytes& out) {
        static constexpr uint16_t LENGTHS[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr uint16_t DISTANCES[] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,
                                                 33,   49,   65,   97,   129,  193,   257,   385,   513,   769,
                                                 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        for (;;) {
            if (at_ >= in_.size() * 8) return false;
            const uint32_t symbol = symbol_code();
            if (symbol < 256) {
                out.push_back(uint8_t(symbol));
                continue;
            }
            if (symbol == 256) return true;
            const uint32_t length_code = symbol - 257;
            if (length_code >= 29) return false;
            const uint32_t length_extra = length_code < 8 || length_code == 28 ? 0 : (length_code - 4) / 4;
            const size_t length = LENGTHS[length_code] + bits(length_extra);
            const uint32_t distance_code = code(5);
            if (distance_code >= 30) return false;
            const uint32_t distance_extra = distance_code < 4 ? 0 : (distance_code - 2) / 2;
            const size_t distance = DISTANCES[distance_code] + bits(distance_extra);
            if (distance > out.size()) return false;
            for (size_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
        }
    }
    // Codes of 7 bits for 256-279, 8 bits for 0-143 and 280-287, 9 bits for 144-255.
    uint32_t symbol_code() {
        uint32_t value = code(7);
        if (value <= 0x17) return 256 + value;
        value = value << 1 | bits(1);
        if (value >= 0x30 && value <= 0xBF) return value - 0x30;
        if (value >= 0xC0 && value <= 0xC7) return 280 + value - 0xC0;
        value = value << 1 | bits(1);
        return 144 + value - 0x190;
    }
    uint32_t bit() {
        if (at_ >= in_.size() * 8) return 0;
        const uint32_t value = (in_[at_ / 8] >> (at_ % 8)) & 1;
        ++at_;
        return value;
    }
    uint32_t bits(uint32_t count) {
        uint32_t value = 0;
        for (uint32_t i = 0; i < count; ++i) value |= bit() << i;
        return value;
    }
    uint32_t code(uint32_t length) {
        uint32_t value = 0;
        for (uint32_t i = 0; i < length; ++i) value = value << 1 | bit();
        return value;
    }
    const Bytes& in_;
    size_t at_ = 0;
};

Bytes bytes_of(const char* text) { return Bytes(text, text + std::strlen(text)); }

TEST(IconWriter, ChecksumsAgreeWithTheirPublishedValues) {
    const Bytes digits = bytes_of("123456789");
    EXPECT_EQ(crc32(digits.data(), digits.size()), 0xCBF43926u);
    const Bytes iend = bytes_of("IEND");
    EXPECT_EQ(crc32(iend.data(), iend.size()), 0xAE426082u);
    const Bytes word = bytes_of("Wikipedia");
    EXPECT_EQ(adler32(word.data(), word.size()), 0x11E60398u);
    EXPECT_EQ(adler32(nullptr, 0), 1u);
    // Long enough for both sums to wrap at 65521 many times (the value is zlib's).
    const Bytes ones(1 << 20, 0xFF);
    EXPECT_EQ(adler32(ones.data(), ones.size()), 0x8E88EF11u);
    EXPECT_EQ(crc32(ones.data(), ones.size()), 0x956BAC74u);
}

TEST(IconWriter, CompressedStreamsInflateToTheirInput) {
    std::mt19937 random(7);
    Bytes noise(70000);
    for (uint8_t& byte : noise) byte = uint8_t(random());
    Bytes runs;
    for (int i = 0; i < 3000; ++i) runs.insert(runs.end(), size_t(1 + i % 300), uint8_t(i));
    Bytes pixel_runs;  // a four-byte pixel repeated, with a change now and then
    for (int i = 0; i < 20000; ++i) {
        const uint32_t pixel = i % 997 == 0 ? uint32_t(random()) : 0xFF2B6CB0;
        for (int shift : {0, 8, 16, 24}) pixel_runs.push_back(uint8_t(pixel >> shift));
    }
    const struct {
        const char* name;
        Bytes data;
        size_t row_bytes;
    } cases[] = {
        {"empty", {}, 4},
        {"one byte", {0x90}, 4},
        {"every byte value", noise, 1025},
        {"runs of every length", runs, 300},
        {"repeated pixels", pixel_runs, 80},
        {"rows repeated far back", Bytes(pixel_runs.begin(), pixel_runs.begin() + 40000), 32768},
    };
    for (const auto& c : cases) {
        const Bytes stream = zlib_compress(c.data, c.row_bytes);
        EXPECT_EQ(Inflater(stream).run(), c.data) << c.name;
    }
}

TEST(IconWriter, PngHoldsTheRowsUnfilteredInValidChunks) {
    const IconPicture picture{256, logo_pixels(256)};
    const Bytes png = png_image(picture);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    std::vector<std::string> types;
    Bytes header, data;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = big_endian_at(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        const std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
        types.push_back(type);
        EXPECT_EQ(big_endian_at(png, at + 8 + length), crc32(png.data() + at + 4, 4 + length)) << type;
        const Bytes body(png.begin() + long(at) + 8, png.begin() + long(at) + 8 + long(length));
        if (type == "IHDR") header = body;
        if (type == "IDAT") data.insert(data.end(), body.begin(), body.end());
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(header, (Bytes{0, 0, 1, 0, 0, 0, 1, 0, 8, 6, 0, 0, 0}));
    const std::optional<Bytes> rows = Inflater(data).run();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 256u * (1 + 256 * 4));
    for (size_t y = 0; y < 256; ++y) {
        const uint8_t* row = rows->data() + y * (1 + 256 * 4);
        ASSERT_EQ(row[0], 0) << "filter of row " << y;
        for (size_t x = 0; x < 256; ++x) {
            const uint32_t pixel = picture.pixels[y * 256 + x];
            const uint8_t* rgba = row + 1 + 4 * x;
            ASSERT_EQ(Bytes(rgba, rgba + 4), (Bytes{uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), uint8_t(pixel >> 24)}))
                << x << "," << y;
        }
    }
    // A picture of a few rectangles compresses far below its 262,400 bytes of rows.
    EXPECT_LT(data.size(), rows->size() / 20);
}

TEST(IconWriter, BitmapsAreBottomUpWithAMaskSetWhereTransparent) {
    for (int size : {16, 20, 40}) {
        const IconPicture picture{size, logo_pixels(size)};
        const Bytes image = bitmap_icon_image(picture);
        const size_t s = size_t(size), mask_row = (s + 31) / 32 * 4;
        ASSERT_EQ(image.size(), 40 + s * s * 4 + mask_row * s) << size;
        EXPECT_EQ(u32_at(image, 0), 40u);
        EXPECT_EQ(u32_at(image, 4), uint32_t(size));
        EXPECT_EQ(u32_at(image, 8), uint32_t(2 * size));  // colours and mask
        EXPECT_EQ(u16_at(image, 12), 1u);
        EXPECT_EQ(u16_at(image, 14), 32u);
        EXPECT_EQ(u32_at(image, 16), 0u);
        EXPECT_EQ(u32_at(image, 20), uint32_t(s * s * 4 + mask_row * s));
        for (size_t y = 0; y < s; ++y) {
            const size_t stored_row = s - 1 - y;
            for (size_t x = 0; x < s; ++x) {
                const uint32_t pixel = picture.pixels[y * s + x];
                ASSERT_EQ(u32_at(image, 40 + (stored_row * s + x) * 4), pixel) << size << ": " << x << "," << y;
                const uint8_t mask_byte = image[40 + s * s * 4 + stored_row * mask_row + x / 8];
                ASSERT_EQ((mask_byte >> (7 - x % 8)) & 1, pixel == 0 ? 1 : 0) << size << ": " << x << "," << y;
            }
            for (size_t pad = (s + 7) / 8; pad < mask_row; ++pad)
                EXPECT_EQ(image[40 + s * s * 4 + stored_row * mask_row + pad], 0);
        }
    }
}

TEST(IconWriter, IcoDirectoryNamesEachPictureAndWhereItsBytesAre) {
    const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
    std::vector<IconPicture> pictures;
    for (int size : sizes) pictures.push_back({size, logo_pixels(size)});
    const Bytes ico = ico_file(pictures);
    ASSERT_GE(ico.size(), 6u + 16 * 8);
    EXPECT_EQ(u16_at(ico, 0), 0u);
    EXPECT_EQ(u16_at(ico, 2), 1u);
    ASSERT_EQ(u16_at(ico, 4), 8u);
    size_t expected_offset = 6 + 16 * 8;
    for (size_t i = 0; i < 8; ++i) {
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], uint8_t(sizes[i])) << sizes[i];  // 256 is written as 0
        EXPECT_EQ(ico[entry + 1], uint8_t(sizes[i]));
        EXPECT_EQ(u16_at(ico, entry + 4), 1u);
        EXPECT_EQ(u16_at(ico, entry + 6), 32u);
        const uint32_t length = u32_at(ico, entry + 8), offset = u32_at(ico, entry + 12);
        ASSERT_EQ(offset, expected_offset) << sizes[i];
        ASSERT_LE(size_t(offset) + length, ico.size());
        const Bytes stored(ico.begin() + offset, ico.begin() + offset + length);
        EXPECT_EQ(stored, sizes[i] == 256 ? png_image(pictures[i]) : bitmap_icon_image(pictures[i])) << sizes[i];
        expected_offset += length;
    }
    EXPECT_EQ(expected_offset, ico.size());

    EXPECT_TRUE(ico_file({}).empty());
    EXPECT_TRUE(ico_file({{257, std::vector<uint32_t>(257 * 257)}}).empty());
    EXPECT_TRUE(ico_file({{0, {}}}).empty());
    EXPECT_TRUE(ico_file({{16, std::vector<uint32_t>(255)}}).empty());
}

}  // namespace
}  // namespace korvane
