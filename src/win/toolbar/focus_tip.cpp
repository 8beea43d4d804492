#include "win/toolbar/focus_tip.hpp"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

#include "core/tooltip_text.hpp"
#include "win/app/app.hpp"
#include "win/support/dpi.hpp"
#include "win/support/rects.hpp"
#include "win/support/wide.hpp"
#include "win/toolbar/toolbar_focus.hpp"
#include "win/toolbar/toolbar_tooltips.hpp"

namespace korvane {
namespace {

constexpr UINT_PTR TIP_ID = 0;

TOOLINFOW tip_tool(HWND window, const wchar_t* text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = window;
    info.uId = TIP_ID;
    info.lpszText = const_cast<wchar_t*>(text);
    return info;
}

// Beside the item, on the side where it fits (right of it, else left of it), its top level with
// the item's, and inside the work area.
POINT tip_position(const RECT& item, SIZE tip, const RECT& work, int gap) {
    LONG x = item.right + gap;
    if (x + tip.cx > work.right) x = item.left - gap - tip.cx;
    x = std::clamp<LONG>(x, work.left, std::max<LONG>(work.left, work.right - tip.cx));
    const LONG y = std::clamp<LONG>(item.top, work.top, std::max<LONG>(work.top, work.bottom - tip.cy));
    return POINT{x, y};
}

}  // namespace

HWND create_focus_tip(HWND toolbar_window) {
    const HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0,
                                     0, 0, 0, toolbar_window, nullptr, GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW info = tip_tool(toolbar_window, L"");
    SendMessageW(tip, TTM_ADDTOOLW, 0, LPARAM(&info));
    return tip;
}

void show_focus_tip(HWND window) {
    HWND tip = nullptr;
    std::wstring text;
    RECT item{};
    unsigned dpi = 96;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return;
        tip = toolbar->focus_tip;
        dpi = toolbar->dpi;
        const ToolbarShape shape = shape_of(*toolbar, app->store);
        const std::optional<HitTarget> focused = focused_target(*toolbar, app->store, shape);
        if (focused && GetFocus() == window && IsWindowVisible(window)) {
            if (const Clip* clip = tile_clip(app->store, shape, *focused)) text = to_wide(tile_tooltip_text(*clip));
            else text = button_tooltip_text(focused->kind);
            for (const ToolbarItem& shown : toolbar_items(shape.layout))
                if (shown.target == *focused) item = to_rect(shown.rect);
            GetCursorPos(&toolbar->focus_tip_pointer);
        }
    } else {
        return;
    }
    if (!tip) return;
    TOOLINFOW info = tip_tool(window, text.c_str());
    if (text.empty()) {
        SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, LPARAM(&info));
        return;
    }
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&item), 2);
    // The tip knows its size once it shows the text; it is then moved to its place.
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, LPARAM(&info));
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(item.right, item.top));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, LPARAM(&info));
    RECT shown{};
    GetWindowRect(tip, &shown);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&item, MONITOR_DEFAULTTONEAREST), &monitor);
    const POINT at = tip_position(item, SIZE{shown.right - shown.left, shown.bottom - shown.top}, monitor.rcWork, scale(8, dpi));
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
}

void hide_focus_tip(HWND window) {
    HWND tip = nullptr;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) tip = toolbar->focus_tip;
    if (!tip) return;
    TOOLINFOW info = tip_tool(window, L"");
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, LPARAM(&info));
}

void focus_tip_mouse_moved(HWND window) {
    bool moved = false;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) {
            POINT pointer{};
            GetCursorPos(&pointer);
            moved = pointer.x != toolbar->focus_tip_pointer.x || pointer.y != toolbar->focus_tip_pointer.y;
        }
    if (moved) hide_focus_tip(window);
}

}  // namespace korvane
