// Arithmetic shared by the modal windows: their common metrics, and where a window of a given
// size opens inside a monitor's work area.
#pragma once

#include "core/dips.hpp"
#include "core/geometry.hpp"

namespace korvane {

// The metrics every dialog shares, in DIPs.
constexpr int DIALOG_MARGIN = 12;
constexpr int PUSH_BUTTON_WIDTH = 84;
constexpr int PUSH_BUTTON_HEIGHT = 26;
constexpr int PUSH_BUTTON_GAP = 8;

// Centred in the work area; a window taller than the work area keeps its top (and so its
// caption) inside it.  x is not clamped: a too-wide window hangs over both sides evenly.
Point dialog_origin(Rect work, int window_width, int window_height);

}  // namespace korvane
