// Keeps Wine's desktop process alive for a whole test run, so each test program does not start
// a new one (which also holds ctest's output pipe open after the test ends).
// usage: desktop_keeper.exe start [max_seconds] | stop | probe (exit 0 when a keeper runs)
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const wchar_t* stop_event = L"Local\\KorvaneDesktopKeeperStop";
    if (argc > 1 && std::strcmp(argv[1], "probe") == 0) {
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, stop_event);
        if (!event) return 1;
        CloseHandle(event);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "stop") == 0) {
        HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, stop_event);
        if (!event) return 1;
        SetEvent(event);
        CloseHandle(event);
        return 0;
    }
    const DWORD limit_ms = DWORD(argc > 2 ? std::atoi(argv[2]) : 1800) * 1000;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, stop_event);
    GetDesktopWindow();  // starts Wine's desktop process now
    HWND keeper = CreateWindowExW(0, L"STATIC", L"keeper", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, limit_ms, 0);
    DestroyWindow(keeper);
    CloseHandle(event);
    return result == WAIT_OBJECT_0 ? 0 : 2;
}
