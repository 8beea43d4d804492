#include "win/shell/popup.hpp"

#include <algorithm>
#include <optional>

#include "win/app/app.hpp"
#include "win/storage/files.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/toolbar/toolbar_focus.hpp"

namespace korvane {
namespace {

constexpr DWORD REOPEN_GUARD_MS = 400;

HWND popup_window() {
    if (AppBorrow app = borrow_app()) return app->popup.window;
    return nullptr;
}

LRESULT on_activate(HWND window, WPARAM wparam) {
    if (LOWORD(wparam) != WA_INACTIVE) return 0;
    if (AppBorrow app = borrow_app()) app->popup_place.hidden_at = GetTickCount();
    ShowWindow(window, SW_HIDE);
    return 0;
}

// Where the user types: the text caret of the window in front, when it shows one (the popup
// opens just above it); otherwise the pointer.
POINT typing_point() {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    const HWND front = GetForegroundWindow();
    if (front && GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &thread) && thread.hwndCaret) {
        POINT caret{thread.rcCaret.left, thread.rcCaret.top};
        if (ClientToScreen(thread.hwndCaret, &caret)) return caret;
    }
    POINT pointer{};
    GetCursorPos(&pointer);
    return pointer;
}

// On a monitor of another DPI the popup is laid out again: it takes the rectangle Windows
// suggests, as it asks, then the size of its clips at the new DPI beside its anchor.
LRESULT on_dpi_changed(HWND window, WPARAM wparam, LPARAM lparam) {
    change_toolbar_dpi(window, LOWORD(wparam));
    const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    place_popup(SWP_NOACTIVATE);
    return 0;
}

}  // namespace

// Escape hides the popup without stamping the time, so the icon reopens it at once; the
// deactivation that hiding causes would stamp it, so the time is put back afterwards.
void hide_popup_by_escape() {
    HWND window = nullptr;
    std::optional<DWORD> hidden_at;
    if (AppBorrow app = borrow_app()) {
        window = app->popup.window;
        hidden_at = app->popup_place.hidden_at;
    }
    if (!window) return;
    ShowWindow(window, SW_HIDE);
    if (hidden_at)
        if (AppBorrow app = borrow_app()) app->popup_place.hidden_at = *hidden_at;
}

void toggle_popup_from_shortcut() {
    const HWND window = popup_window();
    if (!window) return;
    if (IsWindowVisible(window)) {
        hide_popup();
        return;
    }
    const POINT anchor = typing_point();
    show_popup(anchor.x, anchor.y, PopupOpening::Keyboard);
}

void toggle_popup(int x, int y, PopupOpening opening) {
    HWND window = nullptr;
    DWORD hidden_at = 0;
    if (AppBorrow app = borrow_app()) {
        window = app->popup.window;
        hidden_at = app->popup_place.hidden_at;
    } else {
        return;
    }
    if (IsWindowVisible(window)) {
        hide_popup();
    } else if (GetTickCount() - hidden_at >= REOPEN_GUARD_MS) {
        show_popup(x, y, opening);
    }
}

void show_popup(int x, int y, PopupOpening opening) {
    HWND window = nullptr;
    if (AppBorrow app = borrow_app()) {
        const PathExists exists = path_check();
        for (Clip& clip : app->store.recent) check_missing_files(clip, exists);
        for (Clip& clip : app->store.pins) check_missing_files(clip, exists);
        ToolbarState& popup = app->popup;
        reset_pointer_state(popup);
        // Every opening starts unfiltered; opened from the keyboard, the first item has the focus
        // and its frame shows at once.
        popup.filter.clear();
        popup.focus.reset();
        popup.focus_cues = opening == PopupOpening::Keyboard;
        if (popup.focus_cues) {
            const ToolbarShape shape = shape_of(popup, app->store);
            const std::vector<ToolbarItem> items = toolbar_items(shape.layout);
            if (!items.empty()) popup.focus = focus_for(items.front().target, app->store, shape);
        }
        app->popup_place.anchor = POINT{x, y};
        window = popup.window;
    } else {
        return;
    }
    // Taking the keyboard announces the focused item (WM_SETFOCUS), once.
    place_popup(SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    SetFocus(window);
    refresh_toolbar(window);
}

void show_popup_at_anchor() {
    POINT anchor{};
    if (AppBorrow app = borrow_app()) anchor = app->popup_place.anchor;
    else return;
    show_popup(anchor.x, anchor.y, PopupOpening::Mouse);
}

void hide_popup() {
    if (HWND window = popup_window()) ShowWindow(window, SW_HIDE);
}

void place_popup(UINT flags) {
    HWND window = nullptr;
    POINT anchor{};
    Size size{};
    unsigned dpi = 96;
    if (AppBorrow app = borrow_app()) {
        window = app->popup.window;
        anchor = app->popup_place.anchor;
        dpi = app->popup.dpi;
        size = content_size(shape_of(app->popup, app->store).layout);
    } else {
        return;
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &info);
    const RECT& work = info.rcWork;
    const Point at = popup_position(Point{anchor.x, anchor.y}, size, Rect{work.left, work.top, work.right, work.bottom},
                                    popup_gap(dpi));
    SetWindowPos(window, HWND_TOPMOST, at.x, at.y, size.width, size.height, flags);
}

LRESULT CALLBACK popup_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ACTIVATE: return on_activate(window, wparam);
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_DPICHANGED: return on_dpi_changed(window, wparam, lparam);
    }
    return toolbar_proc(window, message, wparam, lparam);
}

}  // namespace korvane
