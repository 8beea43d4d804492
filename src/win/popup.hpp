// The popup toolbar: a grid of the clips opened above the notification icon.
#pragma once

#include <windows.h>

namespace korvane {

void toggle_popup(int x, int y);
void show_popup(int x, int y);
// Shows the popup again at the point it was last shown at.
void show_popup_at_anchor();
void hide_popup();
void place_popup(UINT flags);

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace korvane
