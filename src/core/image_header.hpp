// The pixel size an image file declares in its header, read before anything decodes it: a
// decoder sizes its bitmap from these fields, so a small compressed file can ask for gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korvane {

struct DeclaredSize {
    uint64_t width = 0;
    uint64_t height = 0;
    bool operator==(const DeclaredSize&) const = default;
};

// The size the header of a PNG, GIF, BMP, JPEG, TIFF, ICO or CUR file at the start of `head`
// declares: for GIF the canvas its screen and frames cover, for JPEG its first frame, for TIFF
// its first image, for ICO and CUR the largest entry (an embedded PNG by its own header).
// Nothing for other bytes, or when the header lies beyond `head`.
std::optional<DeclaredSize> declared_image_size(std::span<const uint8_t> head);

// The largest image made into an icon: 65,536 pixels a side and 2^26 pixels in all.  That is
// a 64-megapixel photo, 256 MiB as the 32-bit bitmap a decoder makes of it, decoded and
// scaled in about a second here; anything larger is a panorama or a decompression bomb.
constexpr uint64_t MAX_DECODED_SIDE = 65536;
constexpr uint64_t MAX_DECODED_PIXELS = uint64_t{1} << 26;
bool decodable_size(DeclaredSize size);

}  // namespace korvane
