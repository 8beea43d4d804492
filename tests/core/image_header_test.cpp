// The sizes image headers declare, read before any decoder sees the file, and the cap on
// what is decoded.
#include "core/image_header.hpp"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace korvane {
namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes& b, uint64_t value, unsigned n, bool big_endian) {
    for (unsigned i = 0; i < n; ++i) b.push_back(uint8_t(value >> (8 * (big_endian ? n - 1 - i : i))));
}
void be16(Bytes& b, uint64_t v) { put(b, v, 2, true); }
void be32(Bytes& b, uint64_t v) { put(b, v, 4, true); }
void le16(Bytes& b, uint64_t v) { put(b, v, 2, false); }
void le32(Bytes& b, uint64_t v) { put(b, v, 4, false); }
void append(Bytes& b, std::initializer_list<uint8_t> bytes) {
    for (uint8_t byte : bytes) b.push_back(byte);
}
void text(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// A PNG signature and IHDR chunk; no image data, which nothing here reads.
Bytes png(uint32_t width, uint32_t height) {
    Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    be32(b, 13);
    text(b, "IHDR");
    be32(b, width);
    be32(b, height);
    append(b, {8, 6, 0, 0, 0, 0, 0, 0, 0});  // depth, colour type, methods, CRC
    return b;
}

Bytes bmp(int32_t width, int32_t height) {
    Bytes b;
    text(b, "BM");
    le32(b, 0);
    le32(b, 0);
    le32(b, 54);
    le32(b, 40);
    le32(b, uint32_t(width));
    le32(b, uint32_t(height));
    return b;
}

// A screen of 100 x 50 with a global colour table, a graphic control extension, one frame at
// (10, 20) inside the screen and one at (90, 40) of 300 x 200 that reaches past it.
Bytes gif() {
    Bytes b;
    text(b, "GIF89a");
    le16(b, 100);
    le16(b, 50);
    append(b, {0x81, 0, 0});     // a table of 4 colours
    b.insert(b.end(), 12, 0);
    append(b, {0x21, 0xF9, 4, 0, 0, 0, 0, 0});
    for (auto [x, y, w, h] : {std::array<uint64_t, 4>{10, 20, 30, 20}, {90, 40, 300, 200}}) {
        b.push_back(0x2C);
        le16(b, x);
        le16(b, y);
        le16(b, w);
        le16(b, h);
        append(b, {0x80, 0, 0, 0, 0, 0, 0});  // a local table of 2 colours
        append(b, {2, 3, 0x4C, 0x01, 0x05, 0});  // code size, a sub-block, the end
    }
    b.push_back(0x3B);
    return b;
}

// SOI, APP0 and an Exif APP1 of 5000 bytes, a fill byte, then a progressive frame header.
Bytes jpeg(uint16_t width, uint16_t height) {
    Bytes b{0xFF, 0xD8, 0xFF, 0xE0};
    be16(b, 16);
    text(b, "JFIF");
    b.insert(b.end(), 10, 0);
    append(b, {0xFF, 0xE1});
    be16(b, 5000);
    b.insert(b.end(), 4998, 0xFF);  // an APP1 full of 0xFF bytes is still one segment
    append(b, {0xFF, 0xFF, 0xC2});
    be16(b, 17);
    b.push_back(8);
    be16(b, height);
    be16(b, width);
    append(b, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    return b;
}

// The directory after 8 bytes of header and 4 bytes of padding; the width a SHORT, the height
// a LONG, with another tag between them.
Bytes tiff(bool big_endian, uint64_t width, uint64_t height) {
    Bytes b;
    text(b, big_endian ? "MM" : "II");
    put(b, 42, 2, big_endian);
    put(b, 12, 4, big_endian);
    b.insert(b.end(), 4, 0);
    put(b, 3, 2, big_endian);
    const auto entry = [&](uint64_t tag, uint64_t type, uint64_t value) {
        put(b, tag, 2, big_endian);
        put(b, type, 2, big_endian);
        put(b, 1, 4, big_endian);
        if (type == 3) {
            put(b, value, 2, big_endian);
            put(b, 0, 2, big_endian);
        } else {
            put(b, value, 4, big_endian);
        }
    };
    entry(256, 3, width);
    entry(258, 3, 8);
    entry(257, 4, height);
    put(b, 0, 4, big_endian);
    return b;
}

// Two entries: a 16 x 16 DIB (its header counts the mask, 32 rows) and a PNG whose own header
// says 300 x 200, though the directory can say at most 256.
Bytes icon(uint8_t type) {
    Bytes b{0, 0, type, 0, 2, 0};
    const uint64_t dib_at = 6 + 2 * 16, png_at = dib_at + 40;
    append(b, {16, 16, 0, 0, 1, 0, 32, 0});
    le32(b, 40);
    le32(b, dib_at);
    append(b, {0, 0, 0, 0, 1, 0, 32, 0});
    le32(b, 33);
    le32(b, png_at);
    le32(b, 40);
    le32(b, 16);
    le32(b, 32);
    b.insert(b.end(), 28, 0);
    const Bytes entry = png(300, 200);
    b.insert(b.end(), entry.begin(), entry.end());
    return b;
}

std::optional<DeclaredSize> size_of(const Bytes& b) { return declared_image_size(b); }

TEST(DeclaredImageSize, EachFormatGivesTheSizeItsHeaderDeclares) {
    EXPECT_EQ(size_of(png(50000, 50000)), (DeclaredSize{50000, 50000}));
    EXPECT_EQ(size_of(png(0xFFFFFFFF, 1)), (DeclaredSize{0xFFFFFFFF, 1}));
    EXPECT_EQ(size_of(bmp(640, -480)), (DeclaredSize{640, 480}));  // top-down
    EXPECT_EQ(size_of(bmp(INT32_MIN, 1)), (DeclaredSize{uint64_t{1} << 31, 1}));
    Bytes core;
    text(core, "BM");
    core.insert(core.end(), 12, 0);
    le32(core, 12);
    le16(core, 300);
    le16(core, 200);
    EXPECT_EQ(size_of(core), (DeclaredSize{300, 200}));
    EXPECT_EQ(size_of(gif()), (DeclaredSize{390, 240}));
    EXPECT_EQ(size_of(jpeg(65535, 40000)), (DeclaredSize{65535, 40000}));
    EXPECT_EQ(size_of(tiff(false, 40000, 3000000)), (DeclaredSize{40000, 3000000}));
    EXPECT_EQ(size_of(tiff(true, 1234, 5678)), (DeclaredSize{1234, 5678}));
    EXPECT_EQ(size_of(icon(1)), (DeclaredSize{300, 200}));
    EXPECT_EQ(size_of(icon(2)), (DeclaredSize{300, 200}));
}

TEST(DeclaredImageSize, HeadersCutShortOrOfOtherFilesDeclareNothing) {
    // Every prefix that ends before the size fields declares nothing; nothing is read beyond it.
    const std::pair<Bytes, size_t> headers[] = {
        {png(7, 9), 24}, {bmp(7, 9), 26}, {gif(), 11}, {jpeg(7, 9), jpeg(7, 9).size() - 10}, {tiff(false, 7, 9), 50},
        {tiff(true, 7, 9), 50},
    };
    for (const auto& [header, needed] : headers) {
        for (size_t n = 0; n < needed; ++n)
            EXPECT_EQ(declared_image_size(std::span(header).first(n)), std::nullopt) << header.size() << " cut at " << n;
        EXPECT_NE(declared_image_size(std::span(header).first(needed)), std::nullopt) << header.size();
    }
    // The scan begins before any frame header; a directory past the end; another file.
    Bytes scan_first{0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xC0, 0, 17, 8, 0, 1, 0, 1};
    EXPECT_EQ(size_of(scan_first), std::nullopt);
    Bytes far_directory{'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(size_of(far_directory), std::nullopt);
    Bytes metafile{1, 0, 0, 0, 108, 0, 0, 0};  // an EMF header record
    metafile.resize(108);
    EXPECT_EQ(size_of(metafile), std::nullopt);
    Bytes words;
    text(words, "<svg xmlns='http://www.w3.org/2000/svg'/>");
    EXPECT_EQ(size_of(words), std::nullopt);
    Bytes not_ihdr = png(7, 9);
    not_ihdr[12] = 'X';
    EXPECT_EQ(size_of(not_ihdr), std::nullopt);
}

TEST(DecodableSize, AllowsSixtyFourMegapixelsAndSidesUpTo65536) {
    EXPECT_TRUE(decodable_size({8192, 8192}));
    EXPECT_TRUE(decodable_size({65536, 1024}));
    EXPECT_TRUE(decodable_size({1, 1}));
    EXPECT_FALSE(decodable_size({8192, 8193}));
    EXPECT_FALSE(decodable_size({65537, 1}));
    EXPECT_FALSE(decodable_size({50000, 50000}));
    EXPECT_FALSE(decodable_size({0xFFFFFFFF, 0xFFFFFFFF}));
}

}  // namespace
}  // namespace korvane
