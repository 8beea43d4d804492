#include "win/toolbar/toolbar.hpp"

#include <commctrl.h>
#include <dwmapi.h>

#include "core/store.hpp"
#include "win/toolbar/accessible.hpp"
#include "win/app/app.hpp"
#include "win/toolbar/commands.hpp"
#include "win/support/dpi.hpp"
#include "win/support/input_source.hpp"
#include "win/toolbar/draw.hpp"
#include "win/toolbar/focus_tip.hpp"
#include "win/toolbar/glyphs.hpp"
#include "win/app/messages.hpp"
#include "win/shell/popup.hpp"
#include "win/app/program_info.hpp"
#include "win/toolbar/toolbar_focus.hpp"
#include "win/toolbar/toolbar_input.hpp"
#include "win/toolbar/toolbar_keys.hpp"
#include "win/toolbar/toolbar_paint.hpp"
#include "win/toolbar/toolbar_tooltips.hpp"

namespace korvane {
namespace {

// The whole picture drawn again, for the focus frame: a step that holds the record has it
// drawn once the step is over.
void redraw_for_focus_frame(HWND window) {
    if (AppBorrow app = borrow_app()) {
        if (ToolbarState* toolbar = toolbar_for(*app, window)) redraw_toolbar(*toolbar);
        return;
    }
    PostMessageW(window, WM_REFRESH_TOOLBAR, 0, 0);
}

// The keyboard's tooltip and the focus frame go once the window loses the keyboard.
LRESULT on_kill_focus(HWND window) {
    hide_focus_tip(window);
    redraw_for_focus_frame(window);
    return 0;
}

// The focus frame follows the system's keyboard cues and focus border width as they change.
LRESULT on_setting_change(HWND window) {
    redraw_for_focus_frame(window);
    return 0;
}

LRESULT on_mouse_leave(HWND window) {
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window); toolbar && toolbar->hover.kind != HitKind::None) {
            redraw_target(*toolbar, shape_of(*toolbar, app->store).layout, toolbar->hover);
            toolbar->hover = {};
        }
    return 0;
}

POINT point_from(LPARAM lparam) { return POINT{short(LOWORD(lparam)), short(HIWORD(lparam))}; }

// A screen reader hears which item has the focus when the window gets the keyboard.
LRESULT on_set_focus(HWND window) {
    std::optional<LONG> child;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) {
            const ToolbarShape shape = shape_of(*toolbar, app->store);
            if (const std::optional<HitTarget> focused = focused_target(*toolbar, app->store, shape))
                child = child_id_of(shape, *focused);
        }
    redraw_for_focus_frame(window);  // the focus frame comes back with the keyboard
    announce_focus(window, child);
    return 0;
}

}  // namespace

ToolbarShape shape_of(const ToolbarState& toolbar, const ClipStore& store) {
    RECT client{};
    GetClientRect(toolbar.window, &client);
    ToolbarShape shape{shown_clips(toolbar.shown_for_filter, store, toolbar.filter), {}};
    const ToolbarView view{.docked = toolbar.docked,
                           .scroll = toolbar.scroll,
                           .searching = !toolbar.filter.empty(),
                           .all_recent = store.recent.size(),
                           .all_pinned = store.pins.size()};
    shape.layout = make_layout(view, ClientArea{client.right, client.bottom}, toolbar.dpi, shape.shown.recent.size(),
                               shape.shown.pins.size());
    return shape;
}

Clip* tile_clip(ClipStore& store, const ToolbarShape& shape, HitTarget target) {
    if (!is_tile(target.kind)) return nullptr;
    return shown_clip(store, shape.shown, area_of(target.kind), size_t(target.index));
}

ToolbarState create_toolbar_window(bool docked, const wchar_t* class_name, DWORD extended_style, WNDPROC procedure) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW window_class{};
    window_class.style = docked ? 0 : CS_DROPSHADOW;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = exe_icon();
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
    toolbar.focus_tip = create_focus_tip(toolbar.window);
    lay_out_toolbar_at(toolbar, window_dpi(toolbar.window));
    return toolbar;
}

void lay_out_toolbar_at(ToolbarState& toolbar, unsigned dpi) {
    toolbar.dpi = dpi;
    SendMessageW(toolbar.tooltip, TTM_SETMAXTIPWIDTH, 0, scale(420, dpi));
    SendMessageW(toolbar.focus_tip, TTM_SETMAXTIPWIDTH, 0, scale(420, dpi));
    const int word_mark = toolbar.docked ? 13 : 16;
    toolbar.title_font = make_font(L"Segoe UI", 12, 600, false, dpi);
    toolbar.badge_font = make_font(L"Segoe UI", 11, 400, false, dpi);
    toolbar.icon_font = make_font(L"Segoe MDL2 Assets", 12, 400, false, dpi);
    toolbar.icon_font_present = font_is_present(toolbar.icon_font.get(), L"Segoe MDL2 Assets");
    toolbar.word_mark_font = make_font(L"Segoe UI", word_mark, 700, false, dpi);
    toolbar.word_mark_italic_font = make_font(L"Georgia", word_mark + 1, 400, true, dpi);
    toolbar.word_mark_suffix_font = make_font(L"Segoe UI", word_mark - 2, 400, false, dpi);
}

void change_toolbar_dpi(HWND window, unsigned dpi) {
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) lay_out_toolbar_at(*toolbar, dpi);
    refresh_toolbar(window);
}

LRESULT CALLBACK toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: return on_paint(window);
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: return on_mouse_move(window, wparam, point_from(lparam));
    // Clicks count only when they are the user's (see input_source); the keys likewise, in
    // toolbar_keys.
    case WM_LBUTTONDOWN:
        return input_from_user(message, wparam) ? on_left_button_down(window, point_from(lparam)) : 0;
    case WM_LBUTTONUP: return input_from_user(message, wparam) ? on_left_button_up(window, point_from(lparam), (wparam & MK_SHIFT) != 0) : 0;
    case WM_RBUTTONUP: return input_from_user(message, wparam) ? on_right_button_up(window, point_from(lparam)) : 0;
    case WM_MOUSEWHEEL: return on_mouse_wheel(window, short(HIWORD(wparam)));
    case WM_CAPTURECHANGED: return on_capture_changed(window, HWND(lparam));
    case WM_MOUSELEAVE: return on_mouse_leave(window);
    case WM_KEYDOWN: return on_key_message(window, message, wparam);
    case WM_SYSKEYDOWN:  // F10 is a system key; Shift+F10 opens a tile's menu
        if (wparam == VK_F10) return on_key_message(window, message, wparam);
        break;
    case WM_CHAR: return on_char_message(window, wparam);
    case WM_CLOSE: return on_close(window);
    case WM_SETFOCUS: return on_set_focus(window);
    case WM_KILLFOCUS: return on_kill_focus(window);
    case WM_SETTINGCHANGE: return on_setting_change(window);
    case WM_GETOBJECT: return on_get_object(window, wparam, lparam);
    case WM_ACCESSIBLE_ACTION: return on_accessible_action(window);
    case WM_REFRESH_TOOLBAR: refresh_toolbar(window); return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void reset_pointer_state(ToolbarState& toolbar) {
    toolbar.hover = {};
    toolbar.press = {};
    toolbar.drag_source.reset();
    redraw_toolbar(toolbar);
}

void refresh_toolbar(HWND window) {
    const bool visible = IsWindowVisible(window);
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return;
        // A hidden toolbar is drawn afresh when it is shown, with what changed meanwhile.
        redraw_toolbar(*toolbar);
        if (!visible) return;
        toolbar->scroll = std::clamp(toolbar->scroll, 0, max_scroll(shape_of(*toolbar, app->store).layout));
    } else {
        // Its picture cannot be marked out of date now; the refresh is made again once the
        // handler that holds the record has returned.
        PostMessageW(window, WM_REFRESH_TOOLBAR, 0, 0);
        return;
    }
    rebuild_tooltips(window);
    // A screen reader that keeps the items learns that they may have changed.
    NotifyWinEvent(EVENT_OBJECT_REORDER, window, OBJID_CLIENT, CHILDID_SELF);
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

}  // namespace korvane
