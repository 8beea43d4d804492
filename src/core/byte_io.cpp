#include "core/byte_io.hpp"

#include <zlib.h>

namespace korvane {

uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    // zlib's own: several bytes a step, where a byte-wise table made the pins file's sections of
    // companions cost more to check than to read.
    return static_cast<uint32_t>(crc32_z(crc, bytes.data(), bytes.size()));
}

}  // namespace korvane
