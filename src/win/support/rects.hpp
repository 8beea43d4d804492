// The core's rectangles as the platform's calls take them.
#pragma once

#include <windows.h>

#include "core/geometry.hpp"

namespace korvane {

inline RECT to_rect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace korvane
