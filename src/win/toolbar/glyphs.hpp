// The glyphs of the toolbar buttons: from the system's icon font where it is installed, drawn
// with lines where it is not (older Windows, Wine), so a button is never an empty box.
#pragma once

#include <windows.h>

#include "core/layout.hpp"

namespace korvane {

// Whether the font the system chose for `font` is the face asked for, not a substitute.
bool font_is_present(HFONT font, const wchar_t* face);

// The glyph of a button kind centred in the rectangle: with the icon font when `icon_font` is
// given, otherwise drawn with lines as thick as `dpi` asks.
void draw_button_glyph(HDC dc, HitKind kind, const RECT& rect, HFONT icon_font, COLORREF colour, unsigned dpi);

}  // namespace korvane
