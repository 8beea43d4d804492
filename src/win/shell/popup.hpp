// The popup toolbar: a grid of the clips opened above the notification icon.
#pragma once

#include <windows.h>

namespace korvane {

// How the popup was asked for: from the keyboard it takes the focus frame at once.
enum class PopupOpening { Mouse, Keyboard };

void toggle_popup(int x, int y, PopupOpening opening = PopupOpening::Mouse);
void show_popup(int x, int y, PopupOpening opening = PopupOpening::Mouse);
// The global shortcut: opens the popup above the text caret of the window in front, or near the
// pointer when it shows none; or closes it.
void toggle_popup_from_shortcut();
// Escape: hides it without starting the icon's reopening guard.
void hide_popup_by_escape();
// Shows the popup again at the point it was last shown at.
void show_popup_at_anchor();
void hide_popup();
void place_popup(UINT flags);

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace korvane
