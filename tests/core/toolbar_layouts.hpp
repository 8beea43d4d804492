// The two toolbars' layouts as the windows make them, for the tests of what is computed from them.
#pragma once

#include "core/layout.hpp"

namespace korvane {

inline ToolbarLayout docked(uint32_t dpi, uint64_t recent, uint64_t pins, int32_t height = 600, int32_t scroll = 0) {
    return make_layout({.docked = true, .scroll = scroll}, {scale(76, dpi), height}, dpi, recent, pins);
}

// The popup window is given its content size, so the client area is that size.
inline ToolbarLayout popup(uint32_t dpi, uint64_t recent, uint64_t pins) {
    const Size size = content_size(make_layout({.docked = false}, {}, dpi, recent, pins));
    return make_layout({.docked = false}, {size.width, size.height}, dpi, recent, pins);
}

}  // namespace korvane
