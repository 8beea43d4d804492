#include "win/toolbar/glyphs.hpp"

#include <algorithm>
#include <string_view>

#include "core/dips.hpp"
#include "win/toolbar/draw.hpp"
#include "win/support/handles.hpp"

namespace korvane {
namespace {

void draw_line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void draw_lines_glyph(HDC dc, HitKind kind, const RECT& r, COLORREF colour, unsigned dpi) {
    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    OwnedPen pen(CreatePen(PS_SOLID, std::max(1, px(1)), colour));
    const Selected selected_pen(dc, pen.get());
    const Selected selected_brush(dc, GetStockObject(NULL_BRUSH));
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    const int h = px(5);
    switch (kind) {
    case HitKind::NewTextButton:
        draw_line(dc, cx - h, cy, cx + h + 1, cy);
        draw_line(dc, cx, cy - h, cx, cy + h + 1);
        break;
    case HitKind::SettingsButton: {
        const int ring = px(3);
        Ellipse(dc, cx - ring, cy - ring, cx + ring + 1, cy + ring + 1);
        constexpr int TEETH[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
        for (const auto& t : TEETH) {
            const int inner = t[0] && t[1] ? px(3) : px(4);
            const int outer = t[0] && t[1] ? px(4) : px(6);
            draw_line(dc, cx + t[0] * inner, cy + t[1] * inner, cx + t[0] * outer, cy + t[1] * outer);
        }
        break;
    }
    case HitKind::ClearButton:
        draw_line(dc, cx - h, cy - h + px(1), cx + h + 1, cy - h + px(1));
        draw_line(dc, cx - px(2), cy - h - px(1), cx + px(2) + 1, cy - h - px(1));
        MoveToEx(dc, cx - h + px(1), cy - h + px(1), nullptr);
        LineTo(dc, cx - h + px(2), cy + h);
        LineTo(dc, cx + h - px(2), cy + h);
        LineTo(dc, cx + h - px(1), cy - h + px(1));
        break;
    case HitKind::MinimizeButton: draw_line(dc, cx - h, cy + px(1), cx + h + 1, cy + px(1)); break;
    default: break;
    }
}

std::string_view icon_font_glyph(HitKind kind) {
    switch (kind) {
    case HitKind::NewTextButton: return "\xEE\x9C\x90";   // U+E710
    case HitKind::SettingsButton: return "\xEE\x9C\x93";  // U+E713
    case HitKind::ClearButton: return "\xEE\x9D\x8D";     // U+E74D
    case HitKind::MinimizeButton: return "\xEE\xA4\xA1";  // U+E921
    default: return {};
    }
}

}  // namespace

bool font_is_present(HFONT font, const wchar_t* face) {
    OwnedDc dc(CreateCompatibleDC(nullptr));
    const Selected selected(dc.get(), font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc.get(), LF_FACESIZE, chosen);
    return _wcsicmp(chosen, face) == 0;
}

void draw_button_glyph(HDC dc, HitKind kind, const RECT& rect, HFONT icon_font, COLORREF colour, unsigned dpi) {
    if (icon_font)
        draw_text_in_rect(dc, icon_font_glyph(kind), rect, icon_font, colour, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    else
        draw_lines_glyph(dc, kind, rect, colour, dpi);
}

}  // namespace korvane
