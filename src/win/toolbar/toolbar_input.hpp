// Mouse input on the toolbar windows: hover, press, drag and drop, capture loss, the wheel and
// the tile menu.
#pragma once

#include <windows.h>

namespace korvane {

LRESULT on_mouse_move(HWND window, WPARAM keys, POINT at);
LRESULT on_left_button_down(HWND window, POINT at);
LRESULT on_right_button_up(HWND window, POINT at);
LRESULT on_mouse_wheel(HWND window, int delta);
LRESULT on_capture_changed(HWND window, HWND gaining);

// Ends a drag: moves the dragged clip to the drop position, or beeps when it cannot.
void drop_clip(HWND window);

}  // namespace korvane
