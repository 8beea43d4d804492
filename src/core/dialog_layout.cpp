#include "core/dialog_layout.hpp"

namespace korvane {

Point dialog_origin(Rect work, int window_width, int window_height) {
    Point origin;
    origin.x = work.left + (work.right - work.left - window_width) / 2;
    origin.y = work.top + (work.bottom - work.top - window_height) / 2;
    if (origin.y < work.top) origin.y = work.top;
    return origin;
}

}  // namespace korvane
