// Looks at a running Korvane from another process, for the package test and the journeys:
// whether the top-level window of a class exists and is shown, where it is, and which exe made
// it; or asks the program to end as its own Exit would, by closing its main window.
// usage: window_info.exe show CLASS     prints "VISIBLE LEFT TOP RIGHT BOTTOM HWND EXE_PATH" (UTF-8)
//        window_info.exe close CLASS    posts WM_CLOSE to that window
//        window_info.exe press TITLE ID
//            clicks the button ID of a dialog whose title starts with TITLE and that has one (a
//            message box and the installer's own window share their title, not their buttons)
//        window_info.exe find TITLE ID    only looks for that dialog and button
//        window_info.exe forget-appbar HWND
//            unregisters the appbar of a window that is gone: Wine's shell keeps the appbar of
//            a process ended by force and docks the next strip beside it
//        window_info.exe icon-sizes FILE
//            prints the pixel sizes in the first icon group of an exe, the one the shell shows
//        window_info.exe texts TITLE [CLASS]
//            prints the texts of a shown top-level window's controls as each holds it, in
//            creation order (UTF-8)
//        window_info.exe take-hotkey MODIFIERS KEY
//            asks the test target to hold that global shortcut (MOD_ flags, virtual key), as
//            another program would
//        window_info.exe clipboard FORMAT
//            prints the class of the window that owns the clipboard, then on the next lines
//            its content in that registered format (such as "Rich Text Format") as the bytes
//            the owner wrote, up to a NUL
// The journeys' waits, each answering only once the state is there:
//        window_info.exe running
//            a Korvane runs in this Wine prefix: its single-instance mutex exists, also while
//            it has no windows yet or none any more
//        window_info.exe visible TITLE [CLASS]
//            a shown top-level window of exactly that title (and class): prints "HWND XWINDOW"
//        window_info.exe foreground TITLE [CLASS]
//            the same, once it is also the foreground window, enabled, holds its thread's
//            keyboard focus and answers a message: prints "HWND XWINDOW FOCUS_CLASS"
//        window_info.exe menu
//            Korvane's shortcut menu, once it is shown, its thread runs the menu's loop and
//            answers MN_GETHMENU with the menu, and the foreground is Korvane's: prints
//            "LEFT TOP RIGHT BOTTOM XWINDOW FOREGROUND_XWINDOW"
//        window_info.exe sync CLASS
//            returns once Korvane's window of that class has answered a message, painted
//            what it had to paint and waited for messages again
// XWINDOW is the X window that Wine shows the window in (0 elsewhere): keys reach a window only
// through the X focus, which no window manager moves here.
// Exit code 0 when the window was found (and the message posted), 1 when there is none, 2 on
// bad arguments.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string result(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), bytes, nullptr, nullptr);
    result.resize(size_t(bytes) - 1);
    return result;
}

struct DialogButton {
    const wchar_t* title;
    int id;
    HWND dialog;
};

BOOL CALLBACK find_dialog_button(HWND window, LPARAM context) {
    auto& wanted = *reinterpret_cast<DialogButton*>(context);
    wchar_t class_name[16];
    wchar_t title[256];
    if (!GetClassNameW(window, class_name, int(std::size(class_name))) || std::wcscmp(class_name, L"#32770") != 0) return TRUE;
    if (!GetWindowTextW(window, title, int(std::size(title))) || std::wcsncmp(title, wanted.title, std::wcslen(wanted.title)) != 0) return TRUE;
    HWND button = GetDlgItem(window, wanted.id);
    if (!button || !IsWindowEnabled(button) || !IsWindowVisible(window)) return TRUE;
    wanted.dialog = window;
    return FALSE;
}

constexpr UINT ANSWER_MS = 10000;

bool has_class(HWND window, const wchar_t* wanted) {
    wchar_t class_name[64];
    return GetClassNameW(window, class_name, int(std::size(class_name))) && std::wcscmp(class_name, wanted) == 0;
}

// Wine records the X window of each of its windows in this property.
unsigned long long x_window_of(HWND window) {
    return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window")));
}

unsigned long long handle_value(HWND window) { return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)); }

bool answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ANSWER_MS, &result) != 0;
}

struct TitledWindow {
    const wchar_t* title;
    const wchar_t* class_name;  // null: any class
    HWND found;
};

BOOL CALLBACK find_titled_window(HWND window, LPARAM context) {
    auto& wanted = *reinterpret_cast<TitledWindow*>(context);
    wchar_t title[256] = L"";
    if (!IsWindowVisible(window)) return TRUE;
    if (wanted.class_name && !has_class(window, wanted.class_name)) return TRUE;
    GetWindowTextW(window, title, int(std::size(title)));
    if (std::wcscmp(title, wanted.title) != 0) return TRUE;
    wanted.found = window;
    return FALSE;
}

HWND titled_window(const wchar_t* title, const wchar_t* class_name) {
    TitledWindow wanted{title, class_name, nullptr};
    EnumWindows(find_titled_window, reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

// The window is the foreground, takes input, and its thread's keyboard focus lies in it.
int report_foreground(const wchar_t* title, const wchar_t* class_name) {
    HWND window = titled_window(title, class_name);
    if (!window || GetForegroundWindow() != window || !IsWindowEnabled(window)) return 1;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) || !thread.hwndFocus) return 1;
    if (thread.hwndFocus != window && !IsChild(window, thread.hwndFocus)) return 1;
    if (!answers(window)) return 1;
    wchar_t focus_class[64];
    if (!GetClassNameW(thread.hwndFocus, focus_class, int(std::size(focus_class)))) return 1;
    std::printf("%#llx %llu %s\n", handle_value(window), x_window_of(window), utf8(focus_class).c_str());
    return 0;
}

BOOL CALLBACK find_shown_menu(HWND window, LPARAM context) {
    if (!IsWindowVisible(window) || !has_class(window, L"#32768")) return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

int report_menu() {
    HWND main_window = FindWindowW(L"KorvaneMain", nullptr);
    HWND menu = nullptr;
    EnumWindows(find_shown_menu, reinterpret_cast<LPARAM>(&menu));
    if (!main_window || !menu) return 1;
    DWORD korvane = 0, owner = 0, foreground = 0;
    GetWindowThreadProcessId(main_window, &korvane);
    const DWORD menu_thread = GetWindowThreadProcessId(menu, &owner);
    GetWindowThreadProcessId(GetForegroundWindow(), &foreground);
    if (owner != korvane || foreground != korvane) return 1;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(menu_thread, &thread) || !(thread.flags & GUI_INMENUMODE)) return 1;
    DWORD_PTR handle = 0;
    if (!SendMessageTimeoutW(menu, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, ANSWER_MS, &handle) || !handle) return 1;
    RECT rect{};
    GetWindowRect(menu, &rect);
    std::printf("%ld %ld %ld %ld %llu %llu\n", rect.left, rect.top, rect.right, rect.bottom, x_window_of(menu),
                x_window_of(GetForegroundWindow()));
    return 0;
}

// A sent message is answered ahead of painting, so its answer alone does not mean the window
// shows its state: it is then made to paint now, and the second answer comes once its thread
// waits for messages again, which is when Wine hands what was painted to the X server.
int sync_window(const wchar_t* class_name) {
    HWND window = FindWindowW(class_name, nullptr);
    if (!window || !answers(window)) return 1;
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return answers(window) ? 0 : 1;
}

std::string exe_of(HWND window) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    if (!process) return "?";
    wchar_t path[4 * MAX_PATH];
    DWORD size = DWORD(std::size(path));
    const bool found = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    CloseHandle(process);
    return found ? utf8(path) : "?";
}

BOOL CALLBACK take_first_name(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR first) {
    *reinterpret_cast<LPWSTR*>(first) = name;
    return FALSE;
}

// "16 20 ... 256", or nothing when the file has no icon group.
std::string icon_sizes(const wchar_t* file) {
    HMODULE image = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image) return {};
    LPWSTR first = nullptr;
    EnumResourceNamesW(image, RT_GROUP_ICON, take_first_name, reinterpret_cast<LONG_PTR>(&first));
    HRSRC group = first ? FindResourceW(image, first, RT_GROUP_ICON) : nullptr;
    const DWORD size = group ? SizeofResource(image, group) : 0;
    const auto* directory = group ? static_cast<const unsigned char*>(LockResource(LoadResource(image, group))) : nullptr;
    std::string sizes;
    if (directory && size >= 6) {
        unsigned short count = 0;
        std::memcpy(&count, directory + 4, 2);
        for (unsigned i = 0; i < count && 6 + 14 * (i + 1) <= size; ++i) {
            const unsigned width = directory[6 + 14 * i];
            sizes += (sizes.empty() ? "" : " ") + std::to_string(width == 0 ? 256 : width);
        }
    }
    FreeLibrary(image);
    return sizes;
}

// Asked with WM_GETTEXT: GetWindowTextW gives another process's edit control the text it was
// made with, not what it holds.
BOOL CALLBACK print_text(HWND control, LPARAM) {
    wchar_t text[4096] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, std::size(text), LPARAM(text), SMTO_ABORTIFHUNG, ANSWER_MS, &copied);
    text[std::min<size_t>(copied, std::size(text) - 1)] = L'\0';
    std::printf("%s\n", utf8(text).c_str());
    return TRUE;
}

int take_hotkey(const wchar_t* modifiers, const wchar_t* key) {
    HWND target = FindWindowW(nullptr, L"Korvane test target");
    if (!target) return 1;
    const uint32_t request[2] = {uint32_t(std::wcstoul(modifiers, nullptr, 0)), uint32_t(std::wcstoul(key, nullptr, 0))};
    COPYDATASTRUCT data{4, sizeof request, const_cast<uint32_t*>(request)};
    DWORD_PTR taken = 0;
    return SendMessageTimeoutW(target, WM_COPYDATA, 0, LPARAM(&data), SMTO_ABORTIFHUNG, ANSWER_MS, &taken) && taken == 1 ? 0 : 1;
}

// The owner goes with the content: a program's copy of what Korvane wrote for it may hold the
// same bytes, and only the owner tells which one is there.
int print_clipboard(const wchar_t* format_name) {
    const UINT format = RegisterClipboardFormatW(format_name);
    if (!format || !OpenClipboard(nullptr)) return 1;
    wchar_t owner_class[64] = L"";
    if (HWND owner = GetClipboardOwner()) GetClassNameW(owner, owner_class, int(std::size(owner_class)));
    std::string bytes;
    const HANDLE handle = GetClipboardData(format);
    if (handle) {
        if (const void* data = GlobalLock(handle)) {
            const auto* first = static_cast<const char*>(data);
            bytes.assign(first, strnlen(first, GlobalSize(handle)));
            GlobalUnlock(handle);
        }
    }
    CloseClipboard();
    if (!handle) return 1;
    std::printf("%s\n", utf8(owner_class).c_str());
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"menu") == 0) return report_menu();
    if (argc == 2 && std::wcscmp(argv[1], L"running") == 0) {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\Korvane.SingleInstance");
        if (!mutex) return 1;
        CloseHandle(mutex);
        return 0;
    }
    if (argc < 3) return 2;
    if (argc == 3 && std::wcscmp(argv[1], L"icon-sizes") == 0) {
        const std::string sizes = icon_sizes(argv[2]);
        if (sizes.empty()) return 1;
        std::printf("%s\n", sizes.c_str());
        return 0;
    }
    const wchar_t* class_filter = argc == 4 ? argv[3] : nullptr;
    if (argc <= 4 && std::wcscmp(argv[1], L"foreground") == 0) return report_foreground(argv[2], class_filter);
    if (argc <= 4 && std::wcscmp(argv[1], L"visible") == 0) {
        HWND window = titled_window(argv[2], class_filter);
        if (!window) return 1;
        std::printf("%#llx %llu\n", handle_value(window), x_window_of(window));
        return 0;
    }
    if (argc <= 4 && std::wcscmp(argv[1], L"texts") == 0) {
        HWND window = titled_window(argv[2], class_filter);
        if (!window) return 1;
        EnumChildWindows(window, print_text, 0);
        std::fflush(stdout);
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"take-hotkey") == 0) return take_hotkey(argv[2], argv[3]);
    if (argc == 3 && std::wcscmp(argv[1], L"clipboard") == 0) return print_clipboard(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"sync") == 0) return sync_window(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"forget-appbar") == 0) {
        APPBARDATA appbar{};
        appbar.cbSize = sizeof appbar;
        appbar.hWnd = HWND(std::wcstoull(argv[2], nullptr, 0));
        return SHAppBarMessage(ABM_REMOVE, &appbar) ? 0 : 1;
    }
    const bool press = std::wcscmp(argv[1], L"press") == 0;
    if (argc == 4 && (press || std::wcscmp(argv[1], L"find") == 0)) {
        DialogButton wanted{argv[2], int(std::wcstol(argv[3], nullptr, 10)), nullptr};
        EnumWindows(find_dialog_button, reinterpret_cast<LPARAM>(&wanted));
        if (!wanted.dialog) return 1;
        if (!press) return 0;
        HWND button = GetDlgItem(wanted.dialog, wanted.id);
        return PostMessageW(wanted.dialog, WM_COMMAND, MAKEWPARAM(wanted.id, BN_CLICKED), LPARAM(button)) ? 0 : 1;
    }
    if (argc != 3) return 2;
    const bool close = std::wcscmp(argv[1], L"close") == 0;
    if (!close && std::wcscmp(argv[1], L"show") != 0) return 2;
    HWND window = FindWindowW(argv[2], nullptr);
    if (!window) return 1;
    if (close) return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%d %ld %ld %ld %ld %#llx %s\n", IsWindowVisible(window) ? 1 : 0, rect.left, rect.top, rect.right,
                rect.bottom, static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), exe_of(window).c_str());
    std::fflush(stdout);
    return 0;
}
