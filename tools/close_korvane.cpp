// Closes a running Korvane the way the system would: WM_CLOSE to its hidden main window.
// Exit code 0 when the window was found.
#include <windows.h>

int main() {
    HWND main_window = FindWindowW(L"KorvaneMain", nullptr);
    if (!main_window) return 1;
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    return 0;
}
