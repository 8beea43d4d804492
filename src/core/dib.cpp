#include "core/dib.hpp"

namespace korvane {
namespace {

uint32_t u32_at(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t u16_at(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

}  // namespace

std::optional<DibInfo> check_dib(std::span<const uint8_t> block) {
    const uint64_t n = block.size();
    if (n < 40) return std::nullopt;
    const uint64_t header = u32_at(block, 0);
    const auto width = static_cast<int32_t>(u32_at(block, 4));
    const auto height = static_cast<int32_t>(u32_at(block, 8));
    const uint16_t bits = u16_at(block, 14);
    const uint32_t compression = u32_at(block, 16);
    const uint64_t colours_used = u32_at(block, 32);
    const uint64_t table = colours_used != 0 ? colours_used : bits <= 8 ? (uint64_t(1) << bits) : 0;
    uint64_t masks = 0;
    if (header == 40 && compression == BI_BITFIELDS) masks = 12;
    if (header == 40 && compression == BI_ALPHABITFIELDS) masks = 16;
    // At most 2^32 + 16 + 4 * 2^32: no wrap-around in 64 bits.
    const uint64_t offset = header + masks + 4 * table;
    if (width <= 0 || height == 0 || offset >= n) return std::nullopt;
    const uint32_t absolute_height = height < 0 ? uint32_t(0) - uint32_t(height) : uint32_t(height);
    return DibInfo{offset, width, absolute_height};
}

bool check_drop_block(std::span<const uint8_t> block) {
    if (block.size() < 20) return false;
    const uint64_t start = u32_at(block, 0);
    const bool wide = u32_at(block, 16) != 0;
    const uint64_t unit = wide ? 2 : 1;
    const auto unit_at = [&](uint64_t at) { return wide ? uint32_t(u16_at(block, size_t(at))) : uint32_t(block[size_t(at)]); };
    if (start < 20 || start > block.size()) return false;
    // Names end with a zero unit; the list ends with one more (an empty list is that zero alone).
    bool at_name_start = true;
    for (uint64_t at = start; at + unit <= block.size(); at += unit) {
        const bool zero = unit_at(at) == 0;
        if (zero && at_name_start) return true;
        at_name_start = zero;
    }
    return false;
}

}  // namespace korvane
