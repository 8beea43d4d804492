// The tooltip of the keyboard's item: what the mouse's tooltip says about a tile or a button,
// shown beside the focused item after every keyboard move, so that a keyboard user can tell what
// a tile holds.  It hides when the window loses the keyboard or the mouse moves over it.
#pragma once

#include <windows.h>

namespace korvane {

// Makes the tracking tooltip control of a toolbar window (hidden).
HWND create_focus_tip(HWND toolbar_window);

// Shows the tip for the focused item beside it, inside the work area, or hides it when the
// window has no focused item or not the keyboard.  Called with the record free.
void show_focus_tip(HWND window);
void hide_focus_tip(HWND window);

// A mouse move over the window: the tip hides once the pointer has really moved, not for the
// move the system reports when a window appears under a resting pointer.
void focus_tip_mouse_moved(HWND window);

}  // namespace korvane
