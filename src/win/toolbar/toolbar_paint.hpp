// Painting a toolbar: the background, the section titles or empty states, the tiles, the drop
// bar and ghost of a drag, the buttons, the word mark and, docked, the header line and the
// scroll thumb.  Everything is drawn into the toolbar's canvas, which a paint copies to the
// window; a change asks for the parts it touches to be drawn again.
#pragma once

#include <windows.h>

#include "core/store.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {

// Paints the client area of a toolbar into the DC, all of it but the tiles and buttons that lie
// wholly outside the DC's clipping region.
void paint_toolbar(HDC dc, ToolbarState& toolbar, ClipStore& store, int width, int height);

// The handler of WM_PAINT.
LRESULT on_paint(HWND window);

// What a change of the toolbar's state must draw again, laid out as `layout` (the layout it was
// shown at, for what goes away; the new one, for what comes):
// everything, for a change of its clips, layout or scroll;
void redraw_toolbar(ToolbarState& toolbar);
// a tile or button, for a change of the hover;
void redraw_target(ToolbarState& toolbar, const ToolbarLayout& layout, HitTarget target);
// the dragged tile's slot, its ghost and the drop bar, for a drag as it is now.
void redraw_drag(ToolbarState& toolbar, const ToolbarLayout& layout);

}  // namespace korvane
