// What a screen reader says of a tile.  The name is spoken each time the focus lands on the
// tile, so it is short: a text's first line up to about 80 characters, a picture by its size,
// files by the first one's name and how many more there are.  The value, read when the listener
// asks for more, holds the rest of what the tooltip shows, capped.
#pragma once

#include <cstddef>
#include <string>

#include "core/clip.hpp"

namespace korvane {

constexpr size_t SPOKEN_NAME_LIMIT = 80;     // Unicode scalar values, before the ellipsis
constexpr size_t SPOKEN_VALUE_LIMIT = 1000;  // the same, for the value's text

struct SpokenTile {
    std::string name;   // UTF-8
    std::string value;  // UTF-8, lines joined by "\n"; empty when there is nothing more to say
};

// Reads at most a few kilobytes of the clip's text, however long it is.
SpokenTile spoken_tile(const Clip& clip);

}  // namespace korvane
