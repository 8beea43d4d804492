#include "core/dialog_layout.hpp"

namespace korvane {

ScreenPoint dialog_origin(ScreenRect work, int window_width, int window_height) {
    ScreenPoint origin;
    origin.x = work.left + (work.right - work.left - window_width) / 2;
    origin.y = work.top + (work.bottom - work.top - window_height) / 2;
    if (origin.y < work.top) origin.y = work.top;
    return origin;
}

}  // namespace korvane
