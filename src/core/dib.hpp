// Checks for the two clipboard blocks whose layout comes from another program: packed DIBs and
// file-drop lists.  Every offset and size is computed in 64-bit arithmetic.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
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

// check_dib, and on top of it that the block holds every byte a DIB drawing call reads for the
// pixels its header declares: all rows for the uncompressed forms, a complete run-length stream
// inside the declared image size for RLE8 and RLE4, an embedded or linked colour profile inside
// the block.  check_dib alone leaves the pixel data unchecked, and image blocks from the pins file
// are taken as stored, so this is what stands before the pixels are read.  Headers other than
// BITMAPINFOHEADER and its V2 to V5 successors, and compressions a screen cannot draw (JPEG, PNG,
// CMYK), are refused.
std::optional<DibInfo> check_dib_pixels(std::span<const uint8_t> block);

// True when a CF_HDROP block's file list starts inside the block and ends there with its double
// zero terminator (a zero unit after the last name, or the list's own empty terminator).
bool check_drop_block(std::span<const uint8_t> block);

// How many names the file list of a block that passes check_drop_block holds, for either
// character width; nothing for a block that fails it.  The shell's own counting takes the first
// name for granted, and on an empty list some versions read on past the terminator.
std::optional<uint64_t> drop_file_count(std::span<const uint8_t> block);

// The paths of a block that passes check_drop_block, exactly as stored, in list order.  Nothing
// for a block that fails it or holds 8-bit names: those need the system code page, which only the
// shell layer has.
std::optional<std::vector<FilePath>> parse_drop_block(std::span<const uint8_t> block);

}  // namespace korvane
