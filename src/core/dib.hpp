// Checks for the two clipboard blocks whose layout comes from another program: packed DIBs and
// file-drop lists.  Every offset and size is computed in 64-bit arithmetic.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace korvane {

struct DibInfo {
    uint64_t pixel_offset;  // where the pixel bits start
    int32_t width;
    uint32_t height;        // absolute: top-down pictures have a negative height in the header
};

// Accepts a packed DIB whose header, masks and colour table fit before the end of the block,
// with a positive width and a non-zero height.
std::optional<DibInfo> check_dib(std::span<const uint8_t> block);

// True when a CF_HDROP block's file list starts inside the block and ends there with its double
// zero terminator (a zero unit after the last name, or the list's own empty terminator).
bool check_drop_block(std::span<const uint8_t> block);

}  // namespace korvane
