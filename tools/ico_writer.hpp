// The program's icon file: pictures of several sizes in one .ico, the small ones as 32-bit
// bitmaps with a mask and the largest as a PNG.  Portable; make_exe_icon runs it on the build
// machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

// size x size pixels, rows top to bottom, each 0xAARRGGBB with straight (not premultiplied)
// colour.  Icon sizes run from 1 to 256.
struct IconPicture {
    int size = 0;
    std::vector<uint32_t> pixels;
};

// The CRC of PNG chunks (and of zip and gzip): polynomial 0xEDB88320, reflected.
uint32_t crc32(const uint8_t* data, size_t size);
uint32_t adler32(const uint8_t* data, size_t size);

// A zlib stream of one deflate block with the fixed Huffman codes.  Matches are looked for only
// one pixel back and one row back (`row_bytes`), which is where a drawn picture repeats itself.
std::vector<uint8_t> zlib_compress(const std::vector<uint8_t>& data, size_t row_bytes);

// 8-bit RGBA, no interlacing, every row unfiltered.
std::vector<uint8_t> png_image(const IconPicture& picture);

// BITMAPINFOHEADER of twice the height, the pixels bottom-up as blue, green, red, alpha, then
// the AND mask (set where the picture is fully transparent), rows padded to 32 bits.
std::vector<uint8_t> bitmap_icon_image(const IconPicture& picture);

// The .ico file: a directory, then each picture in the given order, PNG when it is 256 pixels
// and a bitmap otherwise.  Empty when a picture's size is outside 1..256 or its pixels do not
// fill it.
std::vector<uint8_t> ico_file(const std::vector<IconPicture>& pictures);

}  // namespace korvane
