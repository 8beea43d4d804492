#include "core/dib.hpp"

#include "core/byte_io.hpp"

namespace korvane {
namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

// BITMAPINFOHEADER and the V2, V3, V4 and V5 headers that extend it: the sizes whose fields sit
// where check_dib reads them.  A drawing call given any other size reads another layout.
bool known_header_size(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Rows are padded to 32 bits.  Width and bit count are at most 2^31 and 2^16: no wrap in 64 bits.
bool holds_rows(uint64_t available, int32_t width, uint16_t bits, uint32_t rows) {
    const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
    return rows <= available / stride;
}

// Follows the run-length commands the way the decoder does and reports whether the stream
// reaches its end-of-bitmap mark before the bytes run out.  A stream without that mark, or with
// a command cut short, would have the decoder read past the bytes declared for it.
bool holds_rle_stream(std::span<const uint8_t> data, bool four_bit) {
    size_t at = 0;
    while (at + 2 <= data.size()) {
        const uint8_t count = data[at];
        const uint8_t value = data[at + 1];
        at += 2;
        if (count != 0 || value == 0) continue;  // a run of one value, or the end of a line
        if (value == 1) return true;
        if (value == 2) {  // a move right and down by the next two bytes
            at += 2;
            continue;
        }
        // `value` pixels stored literally, padded to a 16-bit boundary.
        const size_t bytes = four_bit ? (size_t(value) + 1) / 2 : value;
        at += (bytes + 1) & ~size_t(1);
    }
    return false;
}

constexpr uint32_t PROFILE_LINKED = 0x4C494E4B;    // 'LINK'
constexpr uint32_t PROFILE_EMBEDDED = 0x4D424544;  // 'MBED'

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

std::optional<DibInfo> check_dib_pixels(std::span<const uint8_t> block) {
    const std::optional<DibInfo> info = check_dib(block);
    if (!info) return std::nullopt;
    const uint64_t n = block.size();
    const uint32_t header = u32_at(block, 0);
    const bool top_down = static_cast<int32_t>(u32_at(block, 8)) < 0;
    const uint16_t bits = u16_at(block, 14);
    const uint32_t compression = u32_at(block, 16);
    if (!known_header_size(header)) return std::nullopt;
    if (uint32_t(info->width) > MAX_DRAWN_SIDE || info->height > MAX_DRAWN_SIDE ||
        uint64_t(info->width) * info->height * 4 > MAX_DRAWN_BYTES)
        return std::nullopt;
    // A V5 header may name colour-profile bytes by their offset from the header's start.
    if (header == 124) {
        const uint32_t profile_type = u32_at(block, 56);
        const uint64_t profile_end = uint64_t(u32_at(block, 112)) + u32_at(block, 116);
        if ((profile_type == PROFILE_EMBEDDED || profile_type == PROFILE_LINKED) && profile_end > n)
            return std::nullopt;
    }
    const uint64_t available = n - info->pixel_offset;
    bool holds = false;
    switch (compression) {
    case BI_RGB:
        holds = (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
                holds_rows(available, info->width, bits, info->height);
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        holds = (bits == 16 || bits == 32) && holds_rows(available, info->width, bits, info->height);
        break;
    case BI_RLE8:
    case BI_RLE4: {
        // Run-length bitmaps are bottom-up only, and their byte count is in the image-size field.
        const uint64_t size = u32_at(block, 20);
        const uint16_t wanted_bits = compression == BI_RLE8 ? 8 : 4;
        holds = !top_down && bits == wanted_bits && size != 0 && size <= available &&
                holds_rle_stream(block.subspan(size_t(info->pixel_offset), size_t(size)), compression == BI_RLE4);
        break;
    }
    default:  // JPEG and PNG pass through to printers only; CMYK forms likewise; the rest are unknown
        break;
    }
    if (!holds) return std::nullopt;
    return info;
}

}  // namespace korvane
