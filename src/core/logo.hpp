// The program's logo: a clipboard drawn from a few rectangles, at any size.  The notification
// icon shows it, and the build draws the exe's icon from it.
#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// The icon's side in pixels for a small-icon metric: never below 16.
int logo_size(int small_icon_metric);

// While capture is paused the board turns grey and the sheet shows a pause sign instead of its
// lines of text.
enum class LogoLook { Capturing, Paused };

// S x S pixels, rows top to bottom, each 0xAARRGGBB (bytes blue, green, red, alpha in memory):
// opaque where painted, all zero elsewhere.
std::vector<uint32_t> logo_pixels(int size, LogoLook look = LogoLook::Capturing);

}  // namespace korvane
