#include "win/toolbar.hpp"

#include <commctrl.h>
#include <dwmapi.h>

#include <string>

#include "core/store.hpp"
#include "win/app.hpp"
#include "win/commands.hpp"
#include "win/dialog.hpp"
#include "win/draw.hpp"
#include "win/dpi.hpp"
#include "win/popup.hpp"
#include "win/program_info.hpp"
#include "win/toolbar_input.hpp"
#include "win/wide.hpp"

namespace korvane {
namespace {

constexpr COLORREF BACKGROUND = RGB(243, 243, 243);
constexpr COLORREF FRAME = RGB(200, 200, 200);
constexpr COLORREF TITLE = RGB(60, 60, 60);
constexpr COLORREF EMPTY_TEXT = RGB(130, 130, 130);
constexpr COLORREF DROP_BAR = RGB(0, 120, 212);
constexpr COLORREF SLOT_FILL = RGB(243, 243, 243);
constexpr COLORREF SLOT_BORDER = RGB(180, 180, 180);
constexpr COLORREF GHOST_FILL = RGB(229, 241, 251);
constexpr COLORREF GHOST_BORDER = RGB(0, 120, 212);
constexpr COLORREF BUTTON_ENABLED = RGB(30, 30, 30);
constexpr COLORREF BUTTON_DISABLED = RGB(160, 160, 160);
constexpr COLORREF SEPARATOR = RGB(215, 215, 215);
constexpr COLORREF SCROLL_THUMB = RGB(170, 170, 170);
constexpr COLORREF WORD_MARK = RGB(21, 67, 96);
constexpr COLORREF WORD_MARK_MIDDLE = RGB(0, 128, 128);
constexpr COLORREF WORD_MARK_SUFFIX = RGB(128, 128, 128);

// The word mark: "Korv" and an italic "ane" make the name, with nothing after the hair space,
// so the docked strip's second line holds the grey suffix alone.
constexpr std::wstring_view WORD_MARK_FIRST = L"Korv";
constexpr std::wstring_view WORD_MARK_ITALIC = L"ane";
constexpr std::wstring_view WORD_MARK_HAIR_SPACE = L"\u200A";
constexpr std::wstring_view WORD_MARK_LAST = L"";
constexpr std::wstring_view WORD_MARK_SUFFIX_TEXT = L"clips";

RECT to_rect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void fill(HDC dc, const RECT& rect, COLORREF colour) {
    OwnedBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

bool is_hot(const ToolbarState& toolbar, HitKind kind, uint64_t index) {
    return toolbar.hover.kind == kind && toolbar.hover.index == index;
}

void paint_titles_and_empty_states(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    HFONT title_font = toolbar.docked ? toolbar.badge_font.get() : toolbar.title_font.get();
    const UINT title_format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    draw_text_in_rect(dc, "Recent", to_rect(title_rect(layout, Area::Recent)), title_font, TITLE, title_format);
    const std::string count = std::to_string(layout.pinned_count);
    const std::string pinned = toolbar.docked ? "Pinned " + count + "/20" : "Pinned  " + count + " / 20";
    draw_text_in_rect(dc, pinned, to_rect(title_rect(layout, Area::Pinned)), title_font, TITLE, title_format);

    const UINT empty_format = toolbar.docked ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    if (layout.recent_count == 0)
        draw_text_in_rect(dc, toolbar.docked ? "Copy something" : "Copy something and it will appear here",
                          to_rect(empty_rect(layout, Area::Recent)), toolbar.badge_font.get(), EMPTY_TEXT, empty_format);
    if (layout.pinned_count == 0)
        draw_text_in_rect(dc, toolbar.docked ? "Drag clips here to pin them" : "Drag a clip here, or right-click it and choose Pin",
                          to_rect(empty_rect(layout, Area::Pinned)), toolbar.badge_font.get(), EMPTY_TEXT, empty_format);
}

void paint_tiles(HDC dc, HDC source, const ToolbarState& toolbar, ClipStore& store, const ToolbarLayout& layout,
                 int clip_top, int height) {
    const auto paint_area = [&](Area area, auto& clips, HitKind kind) {
        for (uint64_t i = 0; i < clips.size(); ++i) {
            const RECT r = to_rect(tile_rect(layout, area, i));
            if (r.bottom < clip_top || r.top > height) continue;
            if (toolbar.dragging() && toolbar.drag_source_kind == int64_t(area == Area::Pinned) &&
                toolbar.drag_source_index == i) {
                draw_rounded_rect(dc, r, SLOT_FILL, SLOT_BORDER);
                continue;
            }
            draw_tile_frame(dc, r, is_hot(toolbar, kind, i));
            draw_tile(dc, source, clips[i], r, toolbar.badge_font.get());
        }
    };
    paint_area(Area::Recent, store.recent, HitKind::RecentTile);
    paint_area(Area::Pinned, store.pins, HitKind::PinnedTile);
}

void paint_drop_bar(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    if (!toolbar.dragging() || !toolbar.drop) return;
    const DropTarget drop = *toolbar.drop;
    if (toolbar.drag_source_kind == 0 && drop.section == Area::Pinned && layout.pinned_count >= PIN_CAPACITY) return;
    const int dpi = int(layout.dpi);
    const int t = scale(3);
    const int h = 3 * dpi / 192;
    const uint64_t count = drop.section == Area::Recent ? layout.recent_count : layout.pinned_count;
    const int step = tile_step(layout);
    RECT bar{};
    if (count == 0) {
        const Rect empty = empty_rect(layout, drop.section);
        const int top = empty.top + (toolbar.docked ? 48 : 28) * dpi / 192 - h;
        bar = RECT{empty.left, top, empty.right, top + t};
    } else if (toolbar.docked) {
        const int top = tiles_top(layout, drop.section) + int(drop.index) * step - layout.gap / 2 - h;
        bar = RECT{scale(6), top, content_width(layout) - scale(6), top + t};
    } else {
        uint64_t col = drop.index % 10;
        uint64_t row = drop.index / 10;
        if (drop.index == count && drop.index % 10 == 0) col = 10, row = drop.index / 10 - 1;
        const int left = layout.margin + int(col) * step - layout.gap / 2 - h;
        const int top = tiles_top(layout, drop.section) + int(row) * step;
        bar = RECT{left, top, left + t, top + layout.tile};
    }
    fill(dc, bar, DROP_BAR);
}

// Where the icon font is missing (older Windows, Wine) the four glyphs are drawn with lines.
void draw_line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void draw_glyph(HDC dc, HitKind kind, const RECT& r, COLORREF colour) {
    OwnedPen pen(CreatePen(PS_SOLID, std::max(1, scale(1)), colour));
    const Selected selected_pen(dc, pen.get());
    const Selected selected_brush(dc, GetStockObject(NULL_BRUSH));
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    const int h = scale(5);
    switch (kind) {
    case HitKind::NewTextButton:
        draw_line(dc, cx - h, cy, cx + h + 1, cy);
        draw_line(dc, cx, cy - h, cx, cy + h + 1);
        break;
    case HitKind::SettingsButton: {
        const int ring = scale(3);
        Ellipse(dc, cx - ring, cy - ring, cx + ring + 1, cy + ring + 1);
        constexpr int TEETH[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
        for (const auto& t : TEETH) {
            const int inner = t[0] && t[1] ? scale(3) : scale(4);
            const int outer = t[0] && t[1] ? scale(4) : scale(6);
            draw_line(dc, cx + t[0] * inner, cy + t[1] * inner, cx + t[0] * outer, cy + t[1] * outer);
        }
        break;
    }
    case HitKind::ClearButton:
        draw_line(dc, cx - h, cy - h + scale(1), cx + h + 1, cy - h + scale(1));
        draw_line(dc, cx - scale(2), cy - h - scale(1), cx + scale(2) + 1, cy - h - scale(1));
        MoveToEx(dc, cx - h + scale(1), cy - h + scale(1), nullptr);
        LineTo(dc, cx - h + scale(2), cy + h);
        LineTo(dc, cx + h - scale(2), cy + h);
        LineTo(dc, cx + h - scale(1), cy - h + scale(1));
        break;
    case HitKind::MinimizeButton: draw_line(dc, cx - h, cy + scale(1), cx + h + 1, cy + scale(1)); break;
    default: break;
    }
}

void draw_icon_glyph(HDC dc, const ToolbarState& toolbar, HitKind kind, std::string_view glyph, const RECT& r,
                     COLORREF colour) {
    if (toolbar.icon_font_present)
        draw_text_in_rect(dc, glyph, r, toolbar.icon_font.get(), colour, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    else
        draw_glyph(dc, kind, r, colour);
}

bool font_is_present(HFONT font, const wchar_t* face) {
    OwnedDc dc(CreateCompatibleDC(nullptr));
    const Selected selected(dc.get(), font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc.get(), LF_FACESIZE, chosen);
    return _wcsicmp(chosen, face) == 0;
}

void paint_button(HDC dc, const ToolbarState& toolbar, const Button& button, bool enabled) {
    const RECT r = to_rect(button.rect);
    draw_tile_frame(dc, r, enabled && toolbar.hover.kind == button.kind);
    const COLORREF colour = enabled ? BUTTON_ENABLED : BUTTON_DISABLED;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    constexpr std::string_view PLUS = "\xEE\x9C\x90";      // U+E710
    constexpr std::string_view GEAR = "\xEE\x9C\x93";      // U+E713
    constexpr std::string_view BIN = "\xEE\x9D\x8D";       // U+E74D
    constexpr std::string_view MINIMIZE = "\xEE\xA4\xA1";  // U+E921
    switch (button.kind) {
    case HitKind::NewTextButton:
        if (toolbar.docked) draw_icon_glyph(dc, toolbar, button.kind, PLUS, r, colour);
        else draw_text_in_rect(dc, "+ New text", r, toolbar.badge_font.get(), colour, format);
        break;
    case HitKind::SettingsButton: draw_icon_glyph(dc, toolbar, button.kind, GEAR, r, colour); break;
    case HitKind::ClearButton:
        if (toolbar.docked) {
            draw_icon_glyph(dc, toolbar, button.kind, BIN, r, colour);
        } else {
            draw_icon_glyph(dc, toolbar, button.kind, BIN, RECT{r.left, r.top, r.left + scale(26), r.bottom}, colour);
            draw_text_in_rect(dc, "Clear", RECT{r.left + scale(26) - scale(4), r.top, r.right - scale(8), r.bottom},
                              toolbar.badge_font.get(), colour, format);
        }
        break;
    case HitKind::MinimizeButton: draw_icon_glyph(dc, toolbar, button.kind, MINIMIZE, r, colour); break;
    default: break;
    }
}

void paint_word_mark(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    const TextRun runs[] = {
        {WORD_MARK_FIRST, toolbar.word_mark_font.get(), WORD_MARK},
        {WORD_MARK_ITALIC, toolbar.word_mark_italic_font.get(), WORD_MARK_MIDDLE},
        {WORD_MARK_HAIR_SPACE, toolbar.word_mark_font.get(), WORD_MARK},
        {WORD_MARK_LAST, toolbar.word_mark_font.get(), WORD_MARK},
        {WORD_MARK_SUFFIX_TEXT, toolbar.word_mark_suffix_font.get(), WORD_MARK_SUFFIX},
    };
    const std::span<const TextRun> all(runs);
    if (!toolbar.docked) {
        draw_runs(dc, all, layout.margin + scale(2), layout.margin + scale(22));
        return;
    }
    const int width = scale(76);
    const auto first_line = all.first(3);
    const auto second_line = all.last(2);
    draw_runs(dc, first_line, (width - measure_runs(dc, first_line)) / 2, scale(21));
    draw_runs(dc, second_line, (width - measure_runs(dc, second_line)) / 2, scale(38));
}

void paint_docked_extras(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout, int width, int height) {
    fill(dc, RECT{scale(4), scale(76) - scale(1), width - scale(4), scale(76)}, SEPARATOR);
    const int m = max_scroll(layout);
    if (m <= 0) return;
    const int track = height - scale(76) - scale(8);
    const int total = track + m;
    const int thumb = std::max(track * track / total, scale(24));
    const int top = (track - thumb) * toolbar.scroll / m + scale(76) + scale(4);
    draw_rounded_rect(dc, RECT{width - scale(5), top, width - scale(2), top + thumb}, SCROLL_THUMB, SCROLL_THUMB);
}

void paint_ghost(HDC dc, HDC source, const ToolbarState& toolbar, ClipStore& store, const ToolbarLayout& layout) {
    if (!toolbar.dragging()) return;
    const std::optional<ClipLocation> at = find_clip(store, toolbar.dragged_clip);
    if (!at) return;
    const int left = toolbar.cursor.x - toolbar.grab_offset.x;
    const int top = toolbar.cursor.y - toolbar.grab_offset.y;
    const RECT r{left, top, left + layout.tile, top + layout.tile};
    draw_rounded_rect(dc, r, GHOST_FILL, GHOST_BORDER);
    draw_tile(dc, source, *clip_at(store, *at), r, toolbar.badge_font.get());
}

LRESULT on_paint(HWND window) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) {
        ValidateRect(window, nullptr);
        return 0;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    OwnedDc memory(CreateCompatibleDC(dc));
    // The back buffer is a DIB section: a compatible bitmap costs Wine tens of microseconds to
    // make and again to select, on every paint.
    uint32_t* bits = nullptr;
    OwnedBitmap bitmap = make_dib_section(client.right, client.bottom, bits);
    {
        const Selected selected(memory.get(), bitmap.get());
        paint_toolbar(memory.get(), *toolbar, app->store, client.right, client.bottom);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
    EndPaint(window, &paint);
    return 0;
}

LRESULT on_mouse_leave(HWND window) {
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window); toolbar && toolbar->hover.kind != HitKind::None) {
            toolbar->hover = {};
            InvalidateRect(window, nullptr, FALSE);
        }
    return 0;
}

POINT point_from(LPARAM lparam) { return POINT{short(LOWORD(lparam)), short(HIWORD(lparam))}; }

struct Tool {
    RECT rect;
    std::wstring text;
};

}  // namespace

ToolbarLayout layout_of(const ToolbarState& toolbar, size_t recent_count, size_t pinned_count) {
    RECT client{};
    GetClientRect(toolbar.window, &client);
    return make_layout(ToolbarView{toolbar.docked, toolbar.scroll}, ClientArea{client.right, client.bottom},
                       system_dpi(), recent_count, pinned_count);
}

void paint_toolbar(HDC dc, ToolbarState& toolbar, ClipStore& store, int width, int height) {
    SetBkMode(dc, TRANSPARENT);
    const RECT client{0, 0, width, height};
    fill(dc, client, BACKGROUND);
    {
        OwnedBrush frame(CreateSolidBrush(FRAME));
        FrameRect(dc, &client, frame.get());
    }
    const ToolbarLayout layout = layout_of(toolbar, store.recent.size(), store.pins.size());
    const int clip_top = toolbar.docked ? scale(76) : 0;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, clip_top, width, height);
    paint_titles_and_empty_states(dc, toolbar, layout);
    const OwnedDc source(CreateCompatibleDC(dc));
    paint_tiles(dc, source.get(), toolbar, store, layout, clip_top, height);
    paint_drop_bar(dc, toolbar, layout);
    RestoreDC(dc, saved);
    for (const Button& button : button_list(layout))
        paint_button(dc, toolbar, button, !(button.kind == HitKind::NewTextButton && store.pins.size() >= PIN_CAPACITY));
    paint_word_mark(dc, toolbar, layout);
    if (toolbar.docked) paint_docked_extras(dc, toolbar, layout, width, height);
    paint_ghost(dc, source.get(), toolbar, store, layout);
}

ToolbarState create_toolbar_window(bool docked, const wchar_t* class_name, DWORD extended_style, WNDPROC procedure) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW window_class{};
    window_class.style = docked ? 0 : CS_DROPSHADOW;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = program_icon();
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);

    ToolbarState toolbar;
    toolbar.docked = docked;
    toolbar.window = CreateWindowExW(extended_style, class_name, L"Korvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     instance, nullptr);
    if (!docked) {
        const DWORD round = 2;  // DWMWCP_ROUND
        DwmSetWindowAttribute(toolbar.window, 33 /* DWMWA_WINDOW_CORNER_PREFERENCE */, &round, sizeof round);
    }
    toolbar.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                      0, 0, 0, 0, toolbar.window, nullptr, instance, nullptr);
    SendMessageW(toolbar.tooltip, TTM_SETMAXTIPWIDTH, 0, scale(420));
    const int word_mark = docked ? 13 : 16;
    toolbar.title_font = make_font(L"Segoe UI", 12, 600, false);
    toolbar.badge_font = make_font(L"Segoe UI", 11, 400, false);
    toolbar.icon_font = make_font(L"Segoe MDL2 Assets", 12, 400, false);
    toolbar.icon_font_present = font_is_present(toolbar.icon_font.get(), L"Segoe MDL2 Assets");
    toolbar.word_mark_font = make_font(L"Segoe UI", word_mark, 700, false);
    toolbar.word_mark_italic_font = make_font(L"Georgia", word_mark + 1, 400, true);
    toolbar.word_mark_suffix_font = make_font(L"Segoe UI", word_mark - 2, 400, false);
    return toolbar;
}

LRESULT CALLBACK toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: return on_paint(window);
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: return on_mouse_move(window, wparam, point_from(lparam));
    case WM_LBUTTONDOWN: return on_left_button_down(window, point_from(lparam));
    case WM_LBUTTONUP: return on_left_button_up(window, point_from(lparam));
    case WM_RBUTTONUP: return on_right_button_up(window, point_from(lparam));
    case WM_MOUSEWHEEL: return on_mouse_wheel(window, short(HIWORD(wparam)));
    case WM_CAPTURECHANGED: return on_capture_changed(window, HWND(lparam));
    case WM_MOUSELEAVE: return on_mouse_leave(window);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void reset_pointer_state(ToolbarState& toolbar) {
    toolbar.hover = {};
    toolbar.press = {};
    toolbar.drag_source_kind = NO_DRAG;
}

void refresh_toolbar(HWND window) {
    if (!IsWindowVisible(window)) return;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return;
        const ToolbarLayout layout = layout_of(*toolbar, app->store.recent.size(), app->store.pins.size());
        toolbar->scroll = std::clamp(toolbar->scroll, 0, max_scroll(layout));
    }
    rebuild_tooltips(window);
    InvalidateRect(window, nullptr, FALSE);
}

void refresh_all_toolbars() {
    HWND popup = nullptr;
    HWND docked = nullptr;
    if (AppBorrow app = borrow_app()) {
        popup = app->popup.window;
        docked = app->docked.window;
    }
    if (popup && IsWindowVisible(popup)) {
        place_popup(SWP_NOACTIVATE);
        refresh_toolbar(popup);
    }
    if (docked) refresh_toolbar(docked);
}

void rebuild_tooltips(HWND window) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return;
    for (uint64_t id = 0; id < toolbar->tool_count; ++id) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = window;
        info.uId = id;
        SendMessageW(toolbar->tooltip, TTM_DELTOOLW, 0, LPARAM(&info));
    }
    const ToolbarLayout layout = layout_of(*toolbar, app->store.recent.size(), app->store.pins.size());
    const int band_top = toolbar->docked ? scale(76) : 0;
    const int band_bottom = content_size(layout).height;
    const int width = content_width(layout);
    std::vector<Tool> tools;
    const auto add_tiles = [&](Area area, auto& clips) {
        for (uint64_t i = 0; i < clips.size(); ++i) {
            RECT r = to_rect(tile_rect(layout, area, i));
            r.top = std::max<LONG>(r.top, band_top);
            r.bottom = std::min<LONG>(r.bottom, band_bottom);
            if (r.top >= r.bottom || r.left >= r.right || r.right > width) continue;
            tools.push_back({r, to_wide(tile_tooltip_text(clips[i]))});
        }
    };
    add_tiles(Area::Recent, app->store.recent);
    add_tiles(Area::Pinned, app->store.pins);
    for (const Button& button : button_list(layout)) {
        const wchar_t* text = L"";
        switch (button.kind) {
        case HitKind::NewTextButton: text = L"Create a pinned icon with your own text"; break;
        case HitKind::SettingsButton: text = L"Settings"; break;
        case HitKind::ClearButton: text = L"Clear the recent clips and empty the clipboard"; break;
        case HitKind::MinimizeButton: text = L"Minimize to the notification area"; break;
        default: break;
        }
        tools.push_back({to_rect(button.rect), text});
    }
    for (size_t id = 0; id < tools.size(); ++id) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = window;
        info.uId = id;
        info.rect = tools[id].rect;
        info.lpszText = tools[id].text.data();
        SendMessageW(toolbar->tooltip, TTM_ADDTOOLW, 0, LPARAM(&info));
    }
    toolbar->tool_count = tools.size();
}

}  // namespace korvane
