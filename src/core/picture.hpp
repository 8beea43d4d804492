// Pictures: 96 x 96 pixels, rows top to bottom, bytes blue, green, red, alpha with the colour
// premultiplied, 36,864 bytes.  Scaling them for tiles and fitting thumbnails.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/geometry.hpp"

namespace korvane {

constexpr int PICTURE_SIDE = 96;
constexpr size_t PICTURE_BYTES = 96 * 96 * 4;

// S x S pixels (same byte order, rows top to bottom), each the average of a 4 x 4 grid of samples
// of the picture.  A picture of the wrong length gives transparent pixels.
std::vector<uint8_t> scale_picture_pixels(std::span<const uint8_t> picture, int size);


// The size of a width x height image fitted into an area, never enlarged, at least 1 each way.
Size thumbnail_size(int64_t width, int64_t height, int32_t area_width, int32_t area_height);

// Rounds halves away from zero and saturates to the 32-bit range.
int32_t round_saturated(double value);

}  // namespace korvane
