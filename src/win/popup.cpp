#include "win/popup.hpp"

#include <algorithm>
#include <optional>

#include "win/app.hpp"
#include "win/files.hpp"
#include "win/dpi.hpp"
#include "win/toolbar.hpp"

namespace korvane {
namespace {

constexpr DWORD REOPEN_GUARD_MS = 400;

HWND popup_window() {
    if (AppBorrow app = borrow_app()) return app->popup.window;
    return nullptr;
}

LRESULT on_activate(HWND window, WPARAM wparam) {
    if (LOWORD(wparam) != WA_INACTIVE) return 0;
    if (AppBorrow app = borrow_app()) app->popup.hidden_at = GetTickCount();
    ShowWindow(window, SW_HIDE);
    return 0;
}

// Escape hides the popup without stamping the time, so the icon reopens it at once; the
// deactivation that hiding causes would stamp it, so the time is put back afterwards.
LRESULT on_key_down(HWND window, WPARAM key, LPARAM lparam) {
    if (key != VK_ESCAPE) return toolbar_proc(window, WM_KEYDOWN, key, lparam);
    std::optional<DWORD> hidden_at;
    if (AppBorrow app = borrow_app()) hidden_at = app->popup.hidden_at;
    ShowWindow(window, SW_HIDE);
    if (hidden_at)
        if (AppBorrow app = borrow_app()) app->popup.hidden_at = *hidden_at;
    return 0;
}

}  // namespace

void toggle_popup(int x, int y) {
    HWND window = nullptr;
    DWORD hidden_at = 0;
    if (AppBorrow app = borrow_app()) {
        window = app->popup.window;
        hidden_at = app->popup.hidden_at;
    } else {
        return;
    }
    if (IsWindowVisible(window)) {
        hide_popup();
    } else if (GetTickCount() - hidden_at >= REOPEN_GUARD_MS) {
        show_popup(x, y);
    }
}

void show_popup(int x, int y) {
    HWND window = nullptr;
    if (AppBorrow app = borrow_app()) {
        const PathExists exists = path_check();
        for (Clip& clip : app->store.recent) check_missing_files(clip, exists);
        for (Clip& clip : app->store.pins) check_missing_files(clip, exists);
        reset_pointer_state(app->popup);
        app->popup.anchor = POINT{x, y};
        window = app->popup.window;
    } else {
        return;
    }
    place_popup(SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    refresh_toolbar(window);
}

void show_popup_at_anchor() {
    POINT anchor{};
    if (AppBorrow app = borrow_app()) anchor = app->popup.anchor;
    else return;
    show_popup(anchor.x, anchor.y);
}

void hide_popup() {
    if (HWND window = popup_window()) ShowWindow(window, SW_HIDE);
}

void place_popup(UINT flags) {
    HWND window = nullptr;
    POINT anchor{};
    Size size{};
    if (AppBorrow app = borrow_app()) {
        window = app->popup.window;
        anchor = app->popup.anchor;
        size = content_size(layout_of(app->popup, app->store.recent.size(), app->store.pins.size()));
    } else {
        return;
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &info);
    const RECT& work = info.rcWork;
    const Point at = popup_position(Point{anchor.x, anchor.y}, size, Rect{work.left, work.top, work.right, work.bottom}, scale(8));
    SetWindowPos(window, HWND_TOPMOST, at.x, at.y, size.width, size.height, flags);
}

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ACTIVATE: return on_activate(window, wparam);
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_KEYDOWN: return on_key_down(window, wparam, lparam);
    }
    return toolbar_proc(window, message, wparam, lparam);
}

}  // namespace korvane
