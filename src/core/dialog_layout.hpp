// Arithmetic shared by the modal windows: their common metrics, and where a window of a given
// size opens inside a monitor's work area.
#pragma once

#include "core/dips.hpp"

namespace korvane {

// The metrics every dialog shares, in DIPs.
constexpr int DIALOG_MARGIN = 12;
constexpr int PUSH_BUTTON_WIDTH = 84;
constexpr int PUSH_BUTTON_HEIGHT = 26;
constexpr int PUSH_BUTTON_GAP = 8;

// A control's place in the dialog's client area, in pixels.
struct ControlBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ControlBox&, const ControlBox&) = default;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Centred in the work area; a window taller than the work area keeps its top (and so its
// caption) inside it.  x is not clamped: a too-wide window hangs over both sides evenly.
ScreenPoint dialog_origin(ScreenRect work, int window_width, int window_height);

}  // namespace korvane
