// How a picture file becomes a custom icon: which reader takes it, and where the image lands in
// the 96 x 96 square (fitted, centred, never stretched).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/geometry.hpp"

namespace korvane {


// Where a width x height image lands in the 96 x 96 square: fitted, centred, at least a pixel
// high and wide.
Rect fit_icon(uint32_t width, uint32_t height);

// True when the file name's extension is "svg" in any ASCII case (a name whose only dot is its
// first character has no extension).
bool is_svg_path(std::u16string_view path);


}  // namespace korvane
