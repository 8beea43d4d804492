#include "win/main.hpp"

#include <memory>

#include "win/app.hpp"
#include "win/capture.hpp"
#include "win/files.hpp"
#include "win/handles.hpp"
#include "win/paste.hpp"
#include "win/warning.hpp"

namespace korvane {
namespace {

constexpr wchar_t MUTEX_NAME[] = L"Local\\Korvane.SingleInstance";
constexpr wchar_t MAIN_CLASS[] = L"KorvaneMain";
constexpr char LOAD_FAILED[] = "Could not load pinned clips, starting without them:\n";

LRESULT on_foreground_poll(UINT_PTR timer) {
    if (timer == FOREGROUND_POLL_TIMER) on_foreground_changed(GetForegroundWindow());
    return 0;
}

LRESULT on_destroy(HWND window) {
    RemoveClipboardFormatListener(window);
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLIPBOARDUPDATE: return on_clipboard_update(window);
    case WM_TRAY_CALLBACK: return 0;
    case WM_FOREGROUND_CHANGED: return 0;
    case WM_TIMER: return on_foreground_poll(wparam);
    case WM_DESTROY: return on_destroy(window);
    }
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

HWND create_main_window(HINSTANCE instance) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = MAIN_CLASS;
    RegisterClassExW(&window_class);  // a second registration in the same process fails harmlessly
    return CreateWindowExW(0, MAIN_CLASS, L"Korvane", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

int run_korvane(HINSTANCE instance) {
    const OwnedHandle single_instance(CreateMutexW(nullptr, FALSE, MUTEX_NAME));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    // Refused on Wine, which makes every process per-monitor aware; nothing depends on it.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);

    LoadedPins loaded = load_pins();
    if (loaded.error) show_warning(LOAD_FAILED + *loaded.error);

    const HWND main_window = create_main_window(instance);
    auto app = std::make_unique<App>();
    app->store.pins = std::move(loaded.pins);
    app->main_window = main_window;
    install_app(std::move(app));

    AddClipboardFormatListener(main_window);
    set_foreground_listener(main_window);
    install_foreground_hook();
    if (running_on_wine()) SetTimer(main_window, FOREGROUND_POLL_TIMER, FOREGROUND_POLL_MS, nullptr);

    run_message_loop();
    take_app();
    return 0;
}

}  // namespace korvane
