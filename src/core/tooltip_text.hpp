// What a tile's tooltip says of its clip: its name or the start of its text, a picture's size
// or the first file names, what it asks for; screen readers and the keyboard's tip say the same.
#pragma once

#include <string>
#include <string_view>

#include "core/clip.hpp"

namespace korvane {

// The text shown when the pointer rests on a clip's tile (UTF-8, lines joined by "\n").
std::string tile_tooltip_text(const Clip& clip);

// The start of UTF-8 text up to `limit` scalar values, the whole text when it is no longer.
std::string_view first_scalars(std::string_view text, size_t limit);

}  // namespace korvane
