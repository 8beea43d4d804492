// Tile drawing: rounded frames, a clip's picture and its badges, and the text primitives the
// toolbar paints its headers and buttons with.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>
#include <vector>

#include "core/clip.hpp"
#include "win/support/handles.hpp"

namespace korvane {

// The frames' corners and pens are sized for `dpi`, the DPI of the window drawn in.
void draw_rounded_rect(HDC dc, const RECT& rect, COLORREF fill, COLORREF border, unsigned dpi);
void draw_tile_frame(HDC dc, const RECT& rect, bool hot, unsigned dpi);
// What a frame drawn over the rectangle may cover: a pen wider than a pixel reaches past its edges.
RECT frame_bounds(const RECT& rect, unsigned dpi);
// The content of a tile whose frame is already drawn.  `source` is a memory DC compatible with
// `dc` that the pictures are selected into while they are drawn: one for a whole paint, since
// making a DC per picture costs more than drawing it.
void draw_tile(HDC dc, HDC source, Clip& clip, const RECT& rect, HFONT badge_font, unsigned dpi);

// A width x height 32-bit top-down DIB section; `bits` points at its pixels.
OwnedBitmap make_dib_section(int width, int height, uint32_t*& bits);

// A font of the given size in DIPs at `dpi`, as the toolbars make theirs.
OwnedFont make_font(const wchar_t* face, int size_dips, int weight, bool italic, unsigned dpi);

void draw_text_in_rect(HDC dc, std::string_view text, const RECT& rect, HFONT font, COLORREF colour, UINT format);

struct TextRun {
    std::wstring_view text;
    HFONT font;
    COLORREF colour;
};

int measure_runs(HDC dc, std::span<const TextRun> runs);
// Draws the runs one after the other on the baseline y.
void draw_runs(HDC dc, std::span<const TextRun> runs, int x, int y);

// How many scaled animal pictures this thread keeps (one per index and size drawn).
size_t animal_bitmap_count();

}  // namespace korvane
