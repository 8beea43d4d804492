// The process: one copy per logon, the pins loaded before any window exists, a hidden main
// window that receives the system's notifications, and one message loop.
#include <windows.h>

#include <memory>

#include "win/app.hpp"
#include "win/files.hpp"
#include "win/handles.hpp"
#include "win/warning.hpp"

namespace korvane {
namespace {

constexpr wchar_t MUTEX_NAME[] = L"Local\\Korvane.SingleInstance";
constexpr wchar_t MAIN_CLASS[] = L"KorvaneMain";
constexpr char LOAD_FAILED[] = "Could not load pinned clips, starting without them:\n";

LRESULT on_destroy(HWND window) {
    RemoveClipboardFormatListener(window);
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DESTROY: return on_destroy(window);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND create_main_window(HINSTANCE instance) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = MAIN_CLASS;
    RegisterClassExW(&window_class);
    return CreateWindowExW(0, MAIN_CLASS, L"Korvane", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

void run_message_loop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int run(HINSTANCE instance) {
    const OwnedHandle single_instance(CreateMutexW(nullptr, FALSE, MUTEX_NAME));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    // Refused on Wine, which makes every process per-monitor aware; nothing depends on it.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);

    LoadedPins loaded = load_pins();
    if (loaded.error) show_warning(LOAD_FAILED + *loaded.error);

    auto app = std::make_unique<App>();
    app->store.pins = std::move(loaded.pins);
    app->main_window = create_main_window(instance);
    const HWND main_window = app->main_window;
    install_app(std::move(app));
    AddClipboardFormatListener(main_window);

    run_message_loop();
    take_app();
    return 0;
}

}  // namespace
}  // namespace korvane

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return korvane::run(instance); }
