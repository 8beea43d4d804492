#include "win/app/main.hpp"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <memory>

#include "win/toolbar/accessible.hpp"
#include "win/app/app.hpp"
#include "win/clipboard/capture.hpp"
#include "win/app/crash.hpp"
#include "win/app/dll_search.hpp"
#include "win/shell/dock.hpp"
#include "win/storage/files.hpp"
#include "win/support/guarded.hpp"
#include "win/support/handles.hpp"
#include "win/shell/hotkey.hpp"
#include "win/pictures/tray_icon.hpp"
#include "win/app/messages.hpp"
#include "win/clipboard/paste.hpp"
#include "win/support/platform.hpp"
#include "win/shell/popup.hpp"
#include "win/app/program_info.hpp"
#include "win/app/settings_change.hpp"
#include "win/dialogs/settings_dialog.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/app/warning.hpp"

namespace korvane {
namespace {

constexpr wchar_t MUTEX_NAME[] = L"Local\\Korvane.SingleInstance";
constexpr wchar_t MAIN_CLASS[] = L"KorvaneMain";
constexpr char LOAD_FAILED[] = "Could not load pinned clips, starting without them:\n";
constexpr UINT NOTIFICATION_ICON_ID = 1;
constexpr wchar_t TIP[] = L"Korvane";
constexpr wchar_t PAUSED_TIP[] = L"Korvane (capture paused)";

// Kept outside the application record, which may be borrowed when the shell restarts: the
// notification icon must come back whatever the program is doing.
std::atomic<UINT> taskbar_created{0};
std::atomic<HICON> notification_icon_picture{nullptr};
std::atomic<bool> notification_shows_paused{false};
// Only the user-interface thread, which owns the icon, reads and writes it.
std::wstring shortcut_note;

enum TrayCommand : UINT {
    OPEN = 1, EXIT = 2, SHOW_TOOLBAR = 3, MINIMIZE_TOOLBAR = 4, DOCK_LEFT = 5, DOCK_RIGHT = 6, SETTINGS = 7,
    PAUSE_CAPTURE = 8, RESUME_CAPTURE = 9
};

NOTIFYICONDATAW notification_icon(HWND main_window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;  // 976 bytes
    data.hWnd = main_window;
    data.uID = NOTIFICATION_ICON_ID;
    return data;
}

void copy_tip(NOTIFYICONDATAW& data) {
    const std::wstring tip = notification_tip();
    wcsncpy_s(data.szTip, tip.c_str(), _TRUNCATE);
}

// The icon and its tooltip say whether capture is paused; the new picture replaces the old one
// in the shell before the old one is destroyed.
void show_capture_state(HWND main_window, bool paused) {
    OwnedIcon icon = make_tray_icon(paused ? LogoLook::Paused : LogoLook::Capturing);
    NOTIFYICONDATAW data = notification_icon(main_window);
    data.uFlags = NIF_TIP | NIF_SHOWTIP | (icon ? NIF_ICON : 0);
    data.hIcon = icon.get();
    notification_shows_paused = paused;
    copy_tip(data);
    Shell_NotifyIconW(NIM_MODIFY, &data);
    if (!icon) return;
    if (AppBorrow app = borrow_app()) {
        notification_icon_picture = icon.get();
        app->tray_icon = std::move(icon);
    }
}

void set_capture_paused(HWND main_window, bool paused) {
    if (change_settings([paused](Settings& settings) { settings.capture_paused = paused; }))
        show_capture_state(main_window, paused);
}

POINT anchor_from(WPARAM wparam) { return POINT{short(LOWORD(wparam)), short(HIWORD(wparam))}; }

void run_tray_menu(HWND main_window, POINT anchor) {
    bool minimized = true;
    bool left = false;
    bool paused = false;
    if (AppBorrow app = borrow_app()) {
        minimized = app->settings.minimized;
        left = !app->settings.dock_right;
        paused = app->settings.capture_paused;
    }
    OwnedMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, OPEN, L"Open");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    if (minimized) AppendMenuW(menu.get(), MF_STRING, SHOW_TOOLBAR, L"Show toolbar");
    else AppendMenuW(menu.get(), MF_STRING, MINIMIZE_TOOLBAR, L"Minimize toolbar");
    AppendMenuW(menu.get(), MF_STRING | (left ? MF_CHECKED : 0), DOCK_LEFT, L"Dock on the left");
    AppendMenuW(menu.get(), MF_STRING | (left ? 0 : MF_CHECKED), DOCK_RIGHT, L"Dock on the right");
    AppendMenuW(menu.get(), MF_STRING, SETTINGS, L"Settings");
    if (paused) AppendMenuW(menu.get(), MF_STRING, RESUME_CAPTURE, L"Resume capture");
    else AppendMenuW(menu.get(), MF_STRING, PAUSE_CAPTURE, L"Pause capture");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, EXIT, L"Exit");
    SetForegroundWindow(main_window);
    const UINT chosen = UINT(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, anchor.x, anchor.y, 0, main_window, nullptr));
    PostMessageW(main_window, WM_NULL, 0, 0);
    menu.reset();
    switch (chosen) {
    case OPEN: toggle_popup(anchor.x, anchor.y); break;
    case EXIT: DestroyWindow(main_window); break;
    case SHOW_TOOLBAR: show_docked_toolbar(); break;
    case MINIMIZE_TOOLBAR: minimize_toolbar(); break;
    case DOCK_LEFT: set_dock_edge(false); break;
    case DOCK_RIGHT: set_dock_edge(true); break;
    case SETTINGS: run_settings_dialog(); break;
    case PAUSE_CAPTURE: set_capture_paused(main_window, true); break;
    case RESUME_CAPTURE: set_capture_paused(main_window, false); break;
    }
}

LRESULT on_tray_callback(HWND main_window, WPARAM wparam, LPARAM lparam) {
    const POINT anchor = anchor_from(wparam);
    switch (LOWORD(lparam)) {
    case NIN_SELECT: toggle_popup(anchor.x, anchor.y); break;
    case NIN_KEYSELECT: toggle_popup(anchor.x, anchor.y, PopupOpening::Keyboard); break;
    case WM_CONTEXTMENU: run_tray_menu(main_window, anchor); break;
    }
    return 0;
}

LRESULT move_strip_to_foreground_monitor(HWND foreground) {
    const HMONITOR monitor = MonitorFromWindow(foreground, MONITOR_DEFAULTTONEAREST);
    bool move = false;
    if (AppBorrow app = borrow_app()) {
        move = monitor != app->dock.monitor && !app->settings.minimized;
        if (move) app->dock.monitor = monitor;
    }
    if (move) place_appbar();
    return 0;
}

// The shell forgot the bar with the taskbar: registered again unless minimized.
LRESULT on_appbar_lost() {
    renew_appbar();
    return 0;
}

// Adds the notification icon (again, after the taskbar was re-created).
void add_notification_icon(HWND main_window, HICON icon) {
    NOTIFYICONDATAW data = notification_icon(main_window);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = icon;
    copy_tip(data);
    Shell_NotifyIconW(NIM_ADD, &data);
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
}

LRESULT on_taskbar_created(HWND main_window) {
    add_notification_icon(main_window, notification_icon_picture.load());
    // A shell restart noticed while a step holds the record (a message sent to this thread while
    // it waits on one of its own) re-registers the bar as soon as that step is over.
    if (AppBorrow app = borrow_app()) {
        app.release();
        return on_appbar_lost();
    }
    PostMessageW(main_window, WM_APPBAR_LOST, 0, 0);
    return 0;
}

LRESULT on_foreground_poll(UINT_PTR timer) {
    if (timer == FOREGROUND_POLL_TIMER) follow_paste_target(GetForegroundWindow());
    return 0;
}

LRESULT on_hotkey(WPARAM id) {
    if (id == POPUP_HOTKEY) toggle_popup_from_shortcut();
    return 0;
}

// Compressed pictures are ready; when the record is taken they wait for the next capture.
LRESULT on_pictures_packed() {
    if (AppBorrow app = borrow_app()) app->packer.adopt_finished(app->store);
    return 0;
}

LRESULT on_destroy(HWND window) {
    UnregisterHotKey(window, POPUP_HOTKEY);
    HWND docked = nullptr;
    if (AppBorrow app = borrow_app()) docked = app->docked.window;
    if (docked) {
        unregister_appbar(docked);
        if (AppBorrow app = borrow_app()) app->docked.window = nullptr;
        DestroyWindow(docked);
    }
    RemoveClipboardFormatListener(window);
    NOTIFYICONDATAW data = notification_icon(window);
    Shell_NotifyIconW(NIM_DELETE, &data);
    notification_icon_picture = nullptr;
    if (AppBorrow app = borrow_app()) app->tray_icon.reset();
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLIPBOARDUPDATE: return on_clipboard_update(window);
    case WM_CAPTURE_CLIPBOARD: return on_capture_clipboard(window);
    case WM_TRAY_CALLBACK: return on_tray_callback(window, wparam, lparam);
    case WM_FOREGROUND_CHANGED: return move_strip_to_foreground_monitor(HWND(wparam));
    case WM_TIMER: return on_foreground_poll(wparam);
    case WM_APPBAR_LOST: return on_appbar_lost();
    case WM_HOTKEY: return on_hotkey(wparam);
    case WM_PICTURES_PACKED: return on_pictures_packed();
    case WM_DESTROY: return on_destroy(window);
    }
    if (message != 0 && message == taskbar_created.load()) return on_taskbar_created(window);
    return DefWindowProcW(window, message, wparam, lparam);
}

void run_message_loop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

std::wstring notification_tip() {
    std::wstring tip = notification_shows_paused ? PAUSED_TIP : TIP;
    if (!shortcut_note.empty()) tip += L"\n" + shortcut_note;
    return tip;
}

void show_shortcut_note(HWND main_window, std::wstring note) {
    if (note == shortcut_note) return;
    shortcut_note = std::move(note);
    NOTIFYICONDATAW data = notification_icon(main_window);
    data.uFlags = NIF_TIP | NIF_SHOWTIP;
    copy_tip(data);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

HWND create_main_window(HINSTANCE instance) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = guarded<main_window_proc>;
    window_class.hInstance = instance;
    window_class.hIcon = exe_icon();
    window_class.lpszClassName = MAIN_CLASS;
    RegisterClassExW(&window_class);  // a second registration in the same process fails harmlessly
    return CreateWindowExW(0, MAIN_CLASS, L"Korvane", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

void start_shell(HINSTANCE instance, std::vector<Clip> pins) {
    // The toolbars' tooltip control comes from common controls 6.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    auto app = std::make_unique<App>();
    app->main_window = create_main_window(instance);
    app->popup = create_toolbar_window(false, L"KorvaneToolbar", WS_EX_TOPMOST | WS_EX_TOOLWINDOW, guarded<popup_proc>);
    app->settings = read_settings();
    const Settings settings = app->settings;
    app->docked = create_toolbar_window(true, L"KorvaneDock", WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                                        guarded<docked_toolbar_proc>);
    app->dock.monitor = MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTONEAREST);
    app->tray_icon = make_tray_icon(settings.capture_paused ? LogoLook::Paused : LogoLook::Capturing);
    notification_shows_paused = settings.capture_paused;
    notification_icon_picture = app->tray_icon.get();
    taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    app->store.pins = std::move(pins);
    const HWND main_window = app->main_window;
    const HICON icon = app->tray_icon.get();
    install_app(std::move(app));
    if (AppBorrow app = borrow_app()) app->packer.pack_pictures(app->store, main_window);

    add_notification_icon(main_window, icon);
    AddClipboardFormatListener(main_window);
    set_foreground_listener(main_window);
    install_foreground_hook();
    if (running_on_wine()) SetTimer(main_window, FOREGROUND_POLL_TIMER, FOREGROUND_POLL_MS, nullptr);
    // A shortcut another program holds stays unregistered until the settings choose another or
    // try it again; the icon's tooltip and the settings say why, with no message at start-up,
    // when the user did not ask for anything.
    start_popup_shortcut(main_window, settings.shortcut);
    if (!settings.minimized) show_docked_toolbar();
}

int run_korvane(HINSTANCE instance) {
    search_dlls_in_system_folder_only();
    const OwnedHandle single_instance(CreateMutexW(nullptr, FALSE, MUTEX_NAME));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    // Refused on Wine, which makes every process per-monitor aware; nothing depends on it.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    start_crash_reporting();

    LoadedPins loaded = load_pins();
    if (loaded.error) show_warning(LOAD_FAILED + *loaded.error);

    start_shell(instance, std::move(loaded.pins));
    run_message_loop();
    take_app();
    leave_accessibility();
    return 0;
}

}  // namespace korvane
