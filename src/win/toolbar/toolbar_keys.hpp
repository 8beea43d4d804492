// The keyboard on a toolbar window (the popup, or the docked strip once it has the focus):
// arrows, Tab, Home, End, Page Up and Page Down move the focus frame (the strip scrolls with
// it), Ctrl and an arrow move the focused pin one place, Enter or Space runs the focused item, 1
// to 9 and 0 paste Recent clips 1 to 10, Delete removes the focused clip, the menu key or
// Shift+F10 opens its tile menu, and in the popup typing filters the tiles and Escape clears the
// filter, then closes; Alt+F4 closes the popup at once.
#pragma once

#include <windows.h>

namespace korvane {

LRESULT on_key_down(HWND window, WPARAM key);
LRESULT on_char(HWND window, WPARAM unit);

// The window messages, which go on to the handlers above only when the user typed them: a key
// the user pressed (input_from_user), and the characters that key types (TranslateMessage posts
// them, so the system cannot say whose they are): one, or two after a dead key that did not
// combine, and the second half of a surrogate pair.  Any other character is dropped.
LRESULT on_key_message(HWND window, UINT message, WPARAM key);
LRESULT on_char_message(HWND window, WPARAM unit);
// WM_CLOSE, which Alt+F4 sends: the popup closes, the strip ignores it.
LRESULT on_close(HWND window);

}  // namespace korvane
