// Packed 32-bit DIBs for the tests and benchmarks: the 40-byte header, then pixels or not.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/clip.hpp"

namespace korvane::test {

// A BITMAPINFOHEADER of an uncompressed 32-bit picture (a negative height is top-down),
// followed by zeros up to `total` bytes.
inline Bytes dib_with_header(int32_t width, int32_t height, size_t total) {
    Bytes block(total < 40 ? 40 : total, 0);
    const uint32_t size = 40;
    const uint16_t planes = 1, bits = 32;
    std::memcpy(&block[0], &size, 4);
    std::memcpy(&block[4], &width, 4);
    std::memcpy(&block[8], &height, 4);
    std::memcpy(&block[12], &planes, 2);
    std::memcpy(&block[14], &bits, 2);
    return block;
}

// The whole block of such a picture, every pixel zero.
inline Bytes blank_dib(int32_t width, int32_t height) {
    const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    return dib_with_header(width, height, size_t(40 + uint64_t(width) * rows * 4));
}

}  // namespace korvane::test
