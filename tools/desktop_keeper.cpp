// Keeps Wine's desktop process alive for a whole test run, so each test program does not start
// a new one (which also holds ctest's output pipe open after the test ends).
// usage: desktop_keeper.exe start [max_seconds] | stop | probe (exit 0 when a keeper runs)
// A keeper runs only once the desktop is up: its stop event is made after the desktop window
// exists in another process (Wine's desktop process) and a top-level window can be made, which
// fails when Wine has no display; otherwise start ends with exit code 3.  A keeper that runs
// ends with 0 when stopped and with 2 at the time limit.
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
    DWORD desktop_process = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktop_process);  // starts Wine's desktop process
    HWND top_level = CreateWindowExW(0, L"STATIC", L"keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!top_level || desktop_process == 0 || desktop_process == GetCurrentProcessId()) return 3;
    DestroyWindow(top_level);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, stop_event);
    HWND keeper = CreateWindowExW(0, L"STATIC", L"keeper", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    // Messages and Wine's own events (those of the window made above, say) end a wait early:
    // they are handled and the wait goes on until the stop event or the time limit.
    const DWORD started = GetTickCount();
    int status = 2;
    for (DWORD waited = 0; waited < limit_ms; waited = GetTickCount() - started) {
        const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, limit_ms - waited, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            status = 0;
            break;
        }
        if (result != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    DestroyWindow(keeper);
    CloseHandle(event);
    return status;
}
