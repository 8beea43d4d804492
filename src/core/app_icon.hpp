// The picture of the program's notification-area icon: a clipboard drawn from a few rectangles,
// at any size.
#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// The icon's side in pixels for a small-icon metric: never below 16.
int app_icon_size(int small_icon_metric);

// S x S pixels, rows top to bottom, each 0xAARRGGBB (bytes blue, green, red, alpha in memory):
// opaque where painted, all zero elsewhere.
std::vector<uint32_t> app_icon_pixels(int size);

}  // namespace korvane
