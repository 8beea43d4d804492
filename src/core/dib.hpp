// Checks for packed DIBs, whose layout comes from another program or the pins file.  Every offset
// and size is computed in 64-bit arithmetic.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

struct DibInfo {
    uint64_t pixel_offset;  // where the pixel bits start
    int32_t width;
    uint32_t height;        // absolute: top-down pictures have a negative height in the header
    bool operator==(const DibInfo&) const = default;
};

// Accepts a packed DIB whose header, masks and colour table fit before the end of the block,
// with a positive width and a non-zero height.
std::optional<DibInfo> check_dib(std::span<const uint8_t> block);

// The largest picture GDI can draw.  To stretch a picture onto a 32-bit bitmap (a thumbnail, the
// screen) gdi32 first converts its pixels to 32 bits each, and it sizes that copy in signed 32-bit
// integers: a row as width x 32 + 31 bits, the copy as its row bytes x height (Wine's does exactly
// this; the header's own image-size field is 32 bits as well).  So a side may be at most
// 2^26 - 1 pixels, which makes that row formula exactly 2^31 - 1, and the picture at 4 bytes a
// pixel at most 2^31 - 1 bytes.  Beyond either the sizes wrap, and the drawing call allocates too
// little and writes past it.  A 1-bit picture 2,147,483,000 pixels wide fits a clipboard block.
constexpr uint32_t MAX_DRAWN_SIDE = (1u << 26) - 1;
constexpr uint64_t MAX_DRAWN_BYTES = 0x7FFFFFFF;

// check_dib, and on top of it that the block holds every byte a DIB drawing call reads for the
// pixels its header declares: all rows for the uncompressed forms, a complete run-length stream
// inside the declared image size for RLE8 and RLE4, an embedded or linked colour profile inside
// the block; and that the picture is one GDI can draw (MAX_DRAWN_SIDE, MAX_DRAWN_BYTES).
// check_dib alone leaves the pixel data unchecked, and image blocks from the pins file are taken
// as stored, so this is what stands before the pixels are read, drawn or handed to another
// program.  Headers other than BITMAPINFOHEADER and its V2 to V5 successors, and compressions a
// screen cannot draw (JPEG, PNG, CMYK), are refused.
std::optional<DibInfo> check_dib_pixels(std::span<const uint8_t> block);

}  // namespace korvane
