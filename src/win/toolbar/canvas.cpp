#include "win/toolbar/canvas.hpp"

#include "win/toolbar/draw.hpp"

namespace korvane {

void redraw_all(ToolbarCanvas& canvas, HWND window) {
    canvas.all_stale = true;
    canvas.stale.reset();
    InvalidateRect(window, nullptr, FALSE);
}

void redraw_rect(ToolbarCanvas& canvas, HWND window, const RECT& rect) {
    if (IsRectEmpty(&rect)) return;
    if (!canvas.all_stale) {
        if (!canvas.stale) {
            canvas.stale.reset(CreateRectRgnIndirect(&rect));
        } else {
            const OwnedRegion more(CreateRectRgnIndirect(&rect));
            if (more) CombineRgn(canvas.stale.get(), canvas.stale.get(), more.get(), RGN_OR);
        }
        // Without a region to hold it, the change is kept by drawing everything again.
        if (!canvas.stale) canvas.all_stale = true;
    }
    InvalidateRect(window, &rect, FALSE);
}

bool fit_canvas(ToolbarCanvas& canvas, HDC screen, int width, int height, unsigned dpi) {
    if (canvas.bitmap && canvas.width == width && canvas.height == height && canvas.dpi == dpi) return true;
    canvas.bitmap.reset();
    canvas.dc.reset(CreateCompatibleDC(screen));
    uint32_t* bits = nullptr;
    canvas.bitmap = make_dib_section(width, height, bits);
    canvas.width = width;
    canvas.height = height;
    canvas.dpi = dpi;
    canvas.all_stale = true;
    canvas.stale.reset();
    return canvas.dc && canvas.bitmap;
}

StaleParts take_stale(ToolbarCanvas& canvas) {
    StaleParts parts{canvas.all_stale, std::move(canvas.stale)};
    canvas.all_stale = false;
    return parts;
}

}  // namespace korvane
