// The picture of the program's notification-area icon: a clipboard drawn from a few rectangles,
// at any size.
#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// The icon's side in pixels for a small-icon metric: never below 16.
int app_icon_size(int small_icon_metric);

// While capture is paused the board turns grey and the sheet shows a pause sign instead of its
// lines of text.
enum class AppIconLook { Capturing, Paused };

// S x S pixels, rows top to bottom, each 0xAARRGGBB (bytes blue, green, red, alpha in memory):
// opaque where painted, all zero elsewhere.
std::vector<uint32_t> app_icon_pixels(int size, AppIconLook look = AppIconLook::Capturing);

}  // namespace korvane
