// A toolbar's picture, kept from one paint to the next: a paint copies to the screen the part
// the system asks for, and a change of the toolbar redraws only the part of the picture it
// touches.  Copying is all most paints do (the window uncovered, the screen asking again).
#pragma once

#include <windows.h>

#include "win/support/handles.hpp"

namespace korvane {

struct ToolbarCanvas {
    OwnedDc dc;          // the bitmap is selected into it only while a paint draws or copies
    OwnedBitmap bitmap;  // a 32-bit DIB section of width x height
    int width = 0;
    int height = 0;
    unsigned dpi = 0;    // what the picture is drawn at
    bool all_stale = true;
    OwnedRegion stale;   // the parts out of date when not all of it is; none when nothing is
};

// The whole picture is out of date (the clips, the layout or the scroll changed); the window
// is asked to paint.
void redraw_all(ToolbarCanvas& canvas, HWND window);
// Only this rectangle of the client area is out of date, and only it is painted again.
void redraw_rect(ToolbarCanvas& canvas, HWND window, const RECT& rect);

// A paint of the window's invalid part: the stale parts of the picture are drawn again with
// `draw`, clipped to them, then the part is copied to the window.  The picture is made anew,
// all stale, when the client area or the DPI differ from those it was made for.
template <class Draw>
void paint_from_canvas(ToolbarCanvas& canvas, HWND window, unsigned dpi, Draw&& draw);

// Makes the picture fit the client area and DPI; false when it cannot be made.
bool fit_canvas(ToolbarCanvas& canvas, HDC screen, int width, int height, unsigned dpi);
// The part of the picture to draw again before a copy: the whole of it, this region, or
// nothing (neither).  Clears what is stale.
struct StaleParts {
    bool all = false;
    OwnedRegion region;
};
StaleParts take_stale(ToolbarCanvas& canvas);

template <class Draw>
void paint_from_canvas(ToolbarCanvas& canvas, HWND window, unsigned dpi, Draw&& draw) {
    // A paint dropped while the record was taken left parts stale that the system no longer
    // asks for; they are copied with this one.
    if (canvas.all_stale) InvalidateRect(window, nullptr, FALSE);
    else if (canvas.stale) InvalidateRgn(window, canvas.stale.get(), FALSE);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    if (fit_canvas(canvas, dc, client.right, client.bottom, dpi)) {
        const Selected selected(canvas.dc.get(), canvas.bitmap.get());
        const StaleParts stale = take_stale(canvas);
        if (stale.all || stale.region) {
            const int saved = SaveDC(canvas.dc.get());
            if (!stale.all) SelectClipRgn(canvas.dc.get(), stale.region.get());
            draw(canvas.dc.get(), client.right, client.bottom);
            RestoreDC(canvas.dc.get(), saved);
        }
        const RECT& part = paint.rcPaint;
        BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, canvas.dc.get(), part.left,
               part.top, SRCCOPY);
    }
    EndPaint(window, &paint);
}

}  // namespace korvane
