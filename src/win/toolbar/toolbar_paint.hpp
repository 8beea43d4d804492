// Painting a toolbar: the background, the section titles or empty states, the tiles, the drop
// bar and ghost of a drag, the buttons, the word mark and, docked, the header line and the
// scroll thumb.  Everything is drawn into a back buffer and copied to the window at once.
#pragma once

#include <windows.h>

#include "core/store.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {

// Paints the whole client area of a toolbar into the DC.
void paint_toolbar(HDC dc, ToolbarState& toolbar, ClipStore& store, int width, int height);

// The handler of WM_PAINT.
LRESULT on_paint(HWND window);

}  // namespace korvane
