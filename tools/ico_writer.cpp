#include "ico_writer.hpp"

#include <algorithm>
#include <array>

namespace korvane {
namespace {

constexpr int PNG_SIZE = 256;

void put_u16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
    put_u16(out, value & 0xFFFF);
    put_u16(out, value >> 16);
}

void put_u32_big_endian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

// Deflate's bit order: values from their lowest bit, Huffman codes from their highest.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void put_bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) put_bit((value >> i) & 1);
    }
    void put_code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) put_bit((code >> i) & 1);
    }
    void flush() {
        if (count_ > 0) out_.push_back(byte_);
        byte_ = 0;
        count_ = 0;
    }

private:
    void put_bit(uint32_t bit) {
        byte_ = uint8_t(byte_ | (bit << count_));
        if (++count_ == 8) flush();
    }
    std::vector<uint8_t>& out_;
    uint8_t byte_ = 0;
    int count_ = 0;
};

// The fixed literal/length code of RFC 1951, 3.2.6.
void put_symbol(BitWriter& bits, uint32_t symbol) {
    if (symbol < 144) bits.put_code(0x30 + symbol, 8);
    else if (symbol < 256) bits.put_code(0x190 + symbol - 144, 9);
    else if (symbol < 280) bits.put_code(symbol - 256, 7);
    else bits.put_code(0xC0 + symbol - 280, 8);
}

constexpr std::array<uint16_t, 29> LENGTH_BASE = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> LENGTH_EXTRA = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> DISTANCE_BASE = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                    33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> DISTANCE_EXTRA = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr size_t MIN_MATCH = 3;
constexpr size_t MAX_MATCH = 258;
constexpr size_t MAX_DISTANCE = 32768;

// The last code whose base is not above the value.
template <size_t N>
size_t code_for(const std::array<uint16_t, N>& bases, size_t value) {
    return size_t(std::upper_bound(bases.begin(), bases.end(), value) - bases.begin()) - 1;
}

void put_match(BitWriter& bits, size_t length, size_t distance) {
    const size_t length_code = code_for(LENGTH_BASE, length);
    put_symbol(bits, uint32_t(257 + length_code));
    bits.put_bits(uint32_t(length - LENGTH_BASE[length_code]), LENGTH_EXTRA[length_code]);
    const size_t distance_code = code_for(DISTANCE_BASE, distance);
    bits.put_code(uint32_t(distance_code), 5);
    bits.put_bits(uint32_t(distance - DISTANCE_BASE[distance_code]), DISTANCE_EXTRA[distance_code]);
}

size_t match_length(const std::vector<uint8_t>& data, size_t at, size_t distance) {
    if (distance == 0 || distance > at || distance > MAX_DISTANCE) return 0;
    const size_t limit = std::min(MAX_MATCH, data.size() - at);
    size_t length = 0;
    while (length < limit && data[at + length] == data[at + length - distance]) ++length;
    return length;
}

void put_chunk(std::vector<uint8_t>& png, const char (&type)[5], const std::vector<uint8_t>& data) {
    put_u32_big_endian(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put_u32_big_endian(png, crc32(png.data() + start, png.size() - start));
}

bool fits(const IconPicture& picture) {
    return picture.size >= 1 && picture.size <= PNG_SIZE &&
           picture.pixels.size() == size_t(picture.size) * size_t(picture.size);
}

}  // namespace

uint32_t crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

uint32_t adler32(const uint8_t* data, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> zlib_compress(const std::vector<uint8_t>& data, size_t row_bytes) {
    std::vector<uint8_t> out = {0x78, 0x01};  // deflate with a 32 KiB window; a check value that 31 divides
    BitWriter bits(out);
    bits.put_bits(1, 1);  // the final block
    bits.put_bits(1, 2);  // fixed Huffman codes
    const size_t distances[] = {4, row_bytes};
    for (size_t at = 0; at < data.size();) {
        size_t best_length = 0, best_distance = 0;
        for (size_t distance : distances) {
            const size_t length = match_length(data, at, distance);
            if (length > best_length) best_length = length, best_distance = distance;
        }
        if (best_length >= MIN_MATCH) {
            put_match(bits, best_length, best_distance);
            at += best_length;
        } else {
            put_symbol(bits, data[at]);
            ++at;
        }
    }
    put_symbol(bits, 256);  // end of block
    bits.flush();
    put_u32_big_endian(out, adler32(data.data(), data.size()));
    return out;
}

std::vector<uint8_t> png_image(const IconPicture& picture) {
    const size_t size = size_t(picture.size);
    const size_t row_bytes = 1 + 4 * size;
    std::vector<uint8_t> rows;
    rows.reserve(row_bytes * size);
    for (size_t y = 0; y < size; ++y) {
        rows.push_back(0);  // filter: none
        for (size_t x = 0; x < size; ++x) {
            const uint32_t pixel = picture.pixels[y * size + x];
            for (int shift : {16, 8, 0, 24}) rows.push_back(uint8_t(pixel >> shift));  // red, green, blue, alpha
        }
    }
    std::vector<uint8_t> header;
    put_u32_big_endian(header, uint32_t(size));
    put_u32_big_endian(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filtering, no interlace
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", zlib_compress(rows, row_bytes));
    put_chunk(png, "IEND", {});
    return png;
}

std::vector<uint8_t> bitmap_icon_image(const IconPicture& picture) {
    const uint32_t size = uint32_t(picture.size);
    const uint32_t mask_row_bytes = (size + 31) / 32 * 4;
    std::vector<uint8_t> image;
    put_u32(image, 40);        // BITMAPINFOHEADER
    put_u32(image, size);      // width
    put_u32(image, 2 * size);  // height: the colours and the mask
    put_u16(image, 1);         // planes
    put_u16(image, 32);        // bits a pixel
    put_u32(image, 0);         // BI_RGB
    put_u32(image, size * size * 4 + mask_row_bytes * size);
    for (int i = 0; i < 4; ++i) put_u32(image, 0);  // resolution and colour table: none
    for (uint32_t row = size; row-- > 0;)
        for (uint32_t x = 0; x < size; ++x) put_u32(image, picture.pixels[row * size + x]);
    for (uint32_t row = size; row-- > 0;) {
        std::vector<uint8_t> mask(mask_row_bytes, 0);
        for (uint32_t x = 0; x < size; ++x)
            if ((picture.pixels[row * size + x] >> 24) == 0) mask[x / 8] = uint8_t(mask[x / 8] | (0x80 >> (x % 8)));
        image.insert(image.end(), mask.begin(), mask.end());
    }
    return image;
}

std::vector<uint8_t> ico_file(const std::vector<IconPicture>& pictures) {
    if (pictures.empty() || !std::all_of(pictures.begin(), pictures.end(), fits)) return {};
    std::vector<std::vector<uint8_t>> images;
    for (const IconPicture& picture : pictures)
        images.push_back(picture.size == PNG_SIZE ? png_image(picture) : bitmap_icon_image(picture));
    std::vector<uint8_t> file;
    put_u16(file, 0);  // reserved
    put_u16(file, 1);  // an icon, not a cursor
    put_u16(file, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const uint8_t side = uint8_t(pictures[i].size);  // 256 is written as 0
        file.insert(file.end(), {side, side, 0, 0});     // width, height, no palette, reserved
        put_u16(file, 1);                                // planes
        put_u16(file, 32);                               // bits a pixel
        put_u32(file, uint32_t(images[i].size()));
        put_u32(file, offset);
        offset += uint32_t(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
    return file;
}

}  // namespace korvane
