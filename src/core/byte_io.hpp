// Little-endian integers in byte blocks: read through a cursor that checks every read against
// what is left of its block, and appended to a growing block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korvane {

// The caller has checked that the bytes are there.
inline uint16_t u16_at(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
inline uint32_t u32_at(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
inline uint64_t u64_at(std::span<const uint8_t> b, size_t at) { return u32_at(b, at) | uint64_t(u32_at(b, at + 4)) << 32; }

// Reads from the front of a block; a read that would run past its end fails and takes nothing.
struct ByteCursor {
    std::span<const uint8_t> rest;

    bool u8(uint8_t& out) { return take(1, [&](auto b) { out = b[0]; }); }
    bool u16(uint16_t& out) { return take(2, [&](auto b) { out = u16_at(b, 0); }); }
    bool u32(uint32_t& out) { return take(4, [&](auto b) { out = u32_at(b, 0); }); }
    bool u64(uint64_t& out) { return take(8, [&](auto b) { out = u64_at(b, 0); }); }
    // The next n bytes, where they lie in the block.
    bool bytes(uint64_t n, std::span<const uint8_t>& out) { return take(n, [&](auto b) { out = b; }); }

private:
    template <class Use>
    bool take(uint64_t n, Use use) {
        if (rest.size() < n) return false;
        use(rest.first(static_cast<size_t>(n)));
        rest = rest.subspan(static_cast<size_t>(n));
        return true;
    }
};

inline void append_u8(std::vector<uint8_t>& out, uint8_t v) { out.push_back(v); }
inline void append_u32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
inline void append_u64(std::vector<uint8_t>& out, uint64_t v) {
    append_u32(out, static_cast<uint32_t>(v));
    append_u32(out, static_cast<uint32_t>(v >> 32));
}

// CRC-32 (the polynomial of zip and PNG), continued from an earlier result.
uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

}  // namespace korvane
