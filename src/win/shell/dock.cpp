#include "win/shell/dock.hpp"

#include <shellapi.h>

#include <algorithm>

#include "win/app/app.hpp"
#include "win/storage/files.hpp"
#include "win/app/messages.hpp"
#include "win/app/settings_change.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {
namespace {

APPBARDATA appbar_data(HWND window) {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uCallbackMessage = WM_APPBAR_CALLBACK;
    return data;
}

LRESULT on_size(HWND window) {
    refresh_toolbar(window);
    return 0;
}

LRESULT on_activate(HWND window, WPARAM wparam) {
    APPBARDATA data = appbar_data(window);
    SHAppBarMessage(ABM_ACTIVATE, &data);
    if (LOWORD(wparam) != WA_INACTIVE) SetFocus(window);  // for the keyboard, once a click let it in
    return 0;
}

// The strip never takes the activation from the window the user works in, except for a click
// on its empty area: that gives it the keyboard.
LRESULT on_mouse_activate(HWND window) {
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(window, &at);
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window))
            if (hit_test(shape_of(*toolbar, app->store).layout, at.x, at.y).kind == HitKind::None) return MA_ACTIVATE;
    return MA_NOACTIVATE;
}

LRESULT on_window_pos_changed(HWND window, WPARAM wparam, LPARAM lparam) {
    APPBARDATA data = appbar_data(window);
    SHAppBarMessage(ABM_WINDOWPOSCHANGED, &data);
    return DefWindowProcW(window, WM_WINDOWPOSCHANGED, wparam, lparam);
}

LRESULT on_display_change(HWND window) {
    if (AppBorrow app = borrow_app()) app->dock.monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    place_appbar();
    return 0;
}

// On a monitor of another DPI the strip is laid out again and put back at its edge there; the
// rectangle Windows suggests is taken first, as it asks, and the appbar's own placement follows.
LRESULT on_dpi_changed(HWND window, WPARAM wparam, LPARAM lparam) {
    change_toolbar_dpi(window, LOWORD(wparam));
    const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (AppBorrow app = borrow_app()) app->dock.monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    place_appbar();
    return 0;
}

bool holds(const std::vector<HMONITOR>& monitors, HMONITOR monitor) {
    return std::find(monitors.begin(), monitors.end(), monitor) != monitors.end();
}

// The shell tells the bars of one monitor that a full-screen program opened there (or closed).
// The state is kept per monitor, so a later placement of the strip, or a move to another
// monitor and back, does not put it over the full-screen program again.
LRESULT on_full_screen_app(HWND window, bool opened) {
    bool full_screen = opened;
    if (AppBorrow app = borrow_app()) {
        std::vector<HMONITOR>& monitors = app->dock.full_screen_monitors;
        const HMONITOR monitor = app->dock.monitor;
        if (opened && !holds(monitors, monitor)) monitors.push_back(monitor);
        if (!opened) std::erase(monitors, monitor);
        full_screen = holds(monitors, monitor);
    }
    SetWindowPos(window, full_screen ? HWND_BOTTOM : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    return 0;
}

LRESULT on_appbar_notification(HWND window, WPARAM notification, LPARAM lparam) {
    switch (notification) {
    case ABN_POSCHANGED: place_appbar(); break;
    case ABN_FULLSCREENAPP: return on_full_screen_app(window, lparam != 0);
    }
    return 0;
}


// The shell's calls wait on the shell, and messages sent to this thread meanwhile are handled:
// they are made with the record given back.
void register_appbar(HWND window) {
    if (AppBorrow app = borrow_app()) {
        if (app->dock.appbar_registered) return;
    } else {
        return;
    }
    APPBARDATA data = appbar_data(window);
    // Where the shell refuses the bar the strip is still placed at its edge: a toolbar that
    // shows nothing would be no toolbar at all.
    const bool registered = SHAppBarMessage(ABM_NEW, &data) != 0;
    if (AppBorrow app = borrow_app()) app->dock.appbar_registered = registered;
}

}  // namespace

void unregister_appbar(HWND window) {
    if (AppBorrow app = borrow_app()) {
        if (!app->dock.appbar_registered) return;
        app->dock.appbar_registered = false;
    } else {
        return;
    }
    APPBARDATA data = appbar_data(window);
    SHAppBarMessage(ABM_REMOVE, &data);
}

void renew_appbar() {
    HWND window = nullptr;
    bool minimized = true;
    if (AppBorrow app = borrow_app()) {
        app->dock.appbar_registered = false;
        minimized = app->settings.minimized;
        window = app->docked.window;
    }
    if (!window) return;
    // "TaskbarCreated" also comes when the shell did not forget the bar (with a DPI change, or
    // from another program), and the shell refuses a second registration of a bar it holds: the
    // old one is let go first, which changes nothing when the shell has forgotten it.
    APPBARDATA data = appbar_data(window);
    SHAppBarMessage(ABM_REMOVE, &data);
    if (minimized) return;
    register_appbar(window);
    place_appbar();
}

void place_appbar() {
    HWND window = nullptr;
    HMONITOR monitor = nullptr;
    bool right = true;
    bool registered = false;
    bool full_screen = false;
    unsigned dpi = 96;
    if (AppBorrow app = borrow_app()) {
        window = app->docked.window;
        dpi = app->docked.dpi;
        monitor = app->dock.monitor;
        right = app->settings.dock_right;
        registered = app->dock.appbar_registered;
        full_screen = holds(app->dock.full_screen_monitors, monitor);
    }
    if (!window) return;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (!GetMonitorInfoW(monitor, &info)) return;
    }
    const int width = docked_strip_width(dpi);
    APPBARDATA data = appbar_data(window);
    data.uEdge = right ? ABE_RIGHT : ABE_LEFT;
    data.rc = info.rcMonitor;
    if (right) data.rc.left = data.rc.right - width;
    else data.rc.right = data.rc.left + width;
    if (registered) {
        SHAppBarMessage(ABM_QUERYPOS, &data);
        if (right) data.rc.left = data.rc.right - width;
        else data.rc.right = data.rc.left + width;
        SHAppBarMessage(ABM_SETPOS, &data);
    }
    const LONG top = std::max(data.rc.top, info.rcWork.top);
    const LONG bottom = std::min(data.rc.bottom, info.rcWork.bottom);
    SetWindowPos(window, full_screen ? HWND_BOTTOM : HWND_TOPMOST, data.rc.left, top, data.rc.right - data.rc.left,
                 bottom - top, SWP_NOACTIVATE);
}

void show_docked_toolbar() {
    change_settings([](Settings& settings) { settings.minimized = false; });
    HWND window = nullptr;
    if (AppBorrow app = borrow_app()) {
        reset_pointer_state(app->docked);
        window = app->docked.window;
    }
    if (!window) return;
    register_appbar(window);
    place_appbar();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    refresh_toolbar(window);
}

void minimize_toolbar() {
    change_settings([](Settings& settings) { settings.minimized = true; });
    HWND window = nullptr;
    if (AppBorrow app = borrow_app()) {
        window = app->docked.window;
    }
    if (!window) return;
    ShowWindow(window, SW_HIDE);
    unregister_appbar(window);
}

void set_dock_edge(bool right) {
    bool minimized = false;
    if (!change_settings([&](Settings& settings) {
            settings.dock_right = right;
            minimized = settings.minimized;
        }))
        return;
    if (minimized) show_docked_toolbar();
    else place_appbar();
}

LRESULT CALLBACK docked_toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE: return on_size(window);
    case WM_ACTIVATE: return on_activate(window, wparam);
    case WM_MOUSEACTIVATE: return on_mouse_activate(window);
    case WM_WINDOWPOSCHANGED: return on_window_pos_changed(window, wparam, lparam);
    case WM_DISPLAYCHANGE: return on_display_change(window);
    case WM_DPICHANGED: return on_dpi_changed(window, wparam, lparam);
    case WM_APPBAR_CALLBACK: return on_appbar_notification(window, wparam, lparam);
    }
    return toolbar_proc(window, message, wparam, lparam);
}

}  // namespace korvane
