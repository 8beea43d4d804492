#include "core/image_header.hpp"

#include <algorithm>
#include <array>

namespace korvane {
namespace {

using View = std::span<const uint8_t>;

// An unsigned integer of n bytes at `at`, or nothing when it does not lie inside the bytes.
std::optional<uint64_t> uint_at(View b, uint64_t at, unsigned n, bool big_endian) {
    if (at > b.size() || n > b.size() - at) return std::nullopt;
    uint64_t value = 0;
    for (unsigned i = 0; i < n; ++i) value = value << 8 | b[size_t(at + (big_endian ? i : n - 1 - i))];
    return value;
}

std::optional<uint64_t> be(View b, uint64_t at, unsigned n) { return uint_at(b, at, n, true); }
std::optional<uint64_t> le(View b, uint64_t at, unsigned n) { return uint_at(b, at, n, false); }

bool starts_with(View b, uint64_t at, std::span<const uint8_t> prefix) {
    return at <= b.size() && prefix.size() <= b.size() - at &&
           std::equal(prefix.begin(), prefix.end(), b.begin() + std::ptrdiff_t(at));
}

// A 32-bit field read as signed: bitmaps store a top-down height as a negative one.
uint64_t magnitude(uint64_t field) {
    const auto value = int64_t(int32_t(uint32_t(field)));
    return uint64_t(value < 0 ? -value : value);
}

constexpr std::array<uint8_t, 8> PNG_SIGNATURE{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The IHDR chunk comes first in every PNG stream.
std::optional<DeclaredSize> png_size(View b, uint64_t at) {
    static constexpr std::array<uint8_t, 8> IHDR{0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (!starts_with(b, at, PNG_SIGNATURE) || !starts_with(b, at + 8, IHDR)) return std::nullopt;
    const auto width = be(b, at + 16, 4), height = be(b, at + 20, 4);
    if (!width || !height) return std::nullopt;
    return DeclaredSize{*width, *height};
}

std::optional<DeclaredSize> bmp_size(View b) {
    const auto header = le(b, 14, 4);
    if (!header) return std::nullopt;
    if (*header == 12) {  // BITMAPCOREHEADER: 16-bit sides
        const auto width = le(b, 18, 2), height = le(b, 20, 2);
        if (!width || !height) return std::nullopt;
        return DeclaredSize{*width, *height};
    }
    const auto width = le(b, 18, 4), height = le(b, 22, 4);
    if (*header < 16 || !width || !height) return std::nullopt;
    return DeclaredSize{magnitude(*width), magnitude(*height)};
}

// A GIF's frames may reach past its logical screen; the canvas covers both.
std::optional<DeclaredSize> gif_size(View b) {
    const auto screen_width = le(b, 6, 2), screen_height = le(b, 8, 2), flags = le(b, 10, 1);
    if (!screen_width || !screen_height || !flags) return std::nullopt;
    DeclaredSize canvas{*screen_width, *screen_height};
    const auto table_bytes = [](uint64_t table_flags) {
        return table_flags & 0x80 ? 3 * (uint64_t{2} << (table_flags & 7)) : 0;
    };
    // Each data sub-block is a length byte and that many bytes; a zero length ends them.
    const auto skip_sub_blocks = [&](uint64_t at) -> std::optional<uint64_t> {
        while (const auto length = le(b, at, 1)) {
            if (*length == 0) return at + 1;
            at += 1 + *length;
        }
        return std::nullopt;
    };
    std::optional<uint64_t> at = 13 + table_bytes(*flags);
    while (at) {
        const auto introducer = le(b, *at, 1);
        if (introducer == 0x21) {  // an extension: its label, then sub-blocks
            at = skip_sub_blocks(*at + 2);
        } else if (introducer == 0x2C) {  // an image: its place, size and local colour table
            const auto left = le(b, *at + 1, 2), top = le(b, *at + 3, 2);
            const auto width = le(b, *at + 5, 2), height = le(b, *at + 7, 2), image_flags = le(b, *at + 9, 1);
            if (!left || !top || !width || !height || !image_flags) break;
            canvas.width = std::max(canvas.width, *left + *width);
            canvas.height = std::max(canvas.height, *top + *height);
            at = skip_sub_blocks(*at + 10 + table_bytes(*image_flags) + 1);  // after the LZW code size
        } else {
            break;  // the trailer, or bytes that are no block
        }
    }
    return canvas;
}

// The first start-of-frame segment, found by walking the segments that come before it.
std::optional<DeclaredSize> jpeg_size(View b) {
    uint64_t at = 2;
    for (;;) {
        if (le(b, at, 1) != 0xFF) return std::nullopt;
        while (le(b, at, 1) == 0xFF) ++at;  // fill bytes
        const auto marker = le(b, at, 1);
        if (!marker) return std::nullopt;
        ++at;
        if (*marker == 0x01 || *marker == 0xD8 || (*marker >= 0xD0 && *marker <= 0xD7)) continue;  // no length
        if (*marker == 0xD9 || *marker == 0xDA) return std::nullopt;  // the image ends or its data begins
        const auto length = be(b, at, 2);
        if (!length || *length < 2) return std::nullopt;
        const bool frame = *marker >= 0xC0 && *marker <= 0xCF && *marker != 0xC4 && *marker != 0xC8 && *marker != 0xCC;
        if (frame) {
            const auto height = be(b, at + 3, 2), width = be(b, at + 5, 2);
            if (!width || !height) return std::nullopt;
            return DeclaredSize{*width, *height};
        }
        at += *length;
    }
}

// The width and height tags of the first image file directory.
std::optional<DeclaredSize> tiff_size(View b, bool big_endian) {
    const auto directory = uint_at(b, 4, 4, big_endian);
    if (!directory) return std::nullopt;
    const auto entries = uint_at(b, *directory, 2, big_endian);
    if (!entries) return std::nullopt;
    std::optional<uint64_t> width, height;
    for (uint64_t i = 0; i < *entries; ++i) {
        const uint64_t entry = *directory + 2 + 12 * i;
        const auto tag = uint_at(b, entry, 2, big_endian), type = uint_at(b, entry + 2, 2, big_endian);
        if (!tag || !type) return std::nullopt;
        if ((*tag != 256 && *tag != 257) || (*type != 3 && *type != 4)) continue;  // SHORT or LONG
        const auto value = uint_at(b, entry + 8, *type == 3 ? 2 : 4, big_endian);
        (*tag == 256 ? width : height) = value;
    }
    if (!width || !height) return std::nullopt;
    return DeclaredSize{*width, *height};
}

// Each entry's image is a PNG stream or a DIB whose height counts the mask's rows too.
std::optional<DeclaredSize> icon_size(View b) {
    const auto entries = le(b, 4, 2);
    if (!entries || *entries == 0) return std::nullopt;
    std::optional<DeclaredSize> largest;
    for (uint64_t i = 0; i < *entries; ++i) {
        const uint64_t entry = 6 + 16 * i;
        const auto width = le(b, entry, 1), height = le(b, entry + 1, 1), offset = le(b, entry + 12, 4);
        if (!width || !height || !offset) break;
        DeclaredSize size{*width ? *width : 256, *height ? *height : 256};
        if (const auto png = png_size(b, *offset)) {
            size = *png;
        } else if (le(b, *offset, 4) >= 40) {
            const auto dib_width = le(b, *offset + 4, 4), dib_height = le(b, *offset + 8, 4);
            if (dib_width && dib_height) size = {magnitude(*dib_width), magnitude(*dib_height) / 2};
        }
        if (!largest || size.width * size.height > largest->width * largest->height) largest = size;
    }
    return largest;
}

}  // namespace

std::optional<DeclaredSize> declared_image_size(std::span<const uint8_t> head) {
    static constexpr std::array<uint8_t, 4> GIF{'G', 'I', 'F', '8'};
    static constexpr std::array<uint8_t, 2> BMP{'B', 'M'};
    static constexpr std::array<uint8_t, 3> JPEG{0xFF, 0xD8, 0xFF};
    static constexpr std::array<uint8_t, 4> TIFF_LITTLE{'I', 'I', 42, 0};
    static constexpr std::array<uint8_t, 4> TIFF_BIG{'M', 'M', 0, 42};
    static constexpr std::array<uint8_t, 4> ICO{0, 0, 1, 0};
    static constexpr std::array<uint8_t, 4> CUR{0, 0, 2, 0};
    if (starts_with(head, 0, PNG_SIGNATURE)) return png_size(head, 0);
    if (starts_with(head, 0, GIF)) return gif_size(head);
    if (starts_with(head, 0, BMP)) return bmp_size(head);
    if (starts_with(head, 0, JPEG)) return jpeg_size(head);
    if (starts_with(head, 0, TIFF_LITTLE)) return tiff_size(head, false);
    if (starts_with(head, 0, TIFF_BIG)) return tiff_size(head, true);
    if (starts_with(head, 0, ICO) || starts_with(head, 0, CUR)) return icon_size(head);
    return std::nullopt;
}

bool decodable_size(DeclaredSize size) {
    return size.width <= MAX_DECODED_SIDE && size.height <= MAX_DECODED_SIDE &&
           size.width * size.height <= MAX_DECODED_PIXELS;
}

}  // namespace korvane
