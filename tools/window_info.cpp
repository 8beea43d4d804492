// Looks at a running Korvane from another process, for the package test: whether the top-level
// window of a class exists and is shown, where it is, and which exe made it; or asks the program
// to end as its own Exit would, by closing its main window.
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
// Exit code 0 when the window was found (and the message posted), 1 when there is none, 2 on
// bad arguments.
#include <windows.h>
#include <shellapi.h>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    if (argc == 3 && std::wcscmp(argv[1], L"icon-sizes") == 0) {
        const std::string sizes = icon_sizes(argv[2]);
        if (sizes.empty()) return 1;
        std::printf("%s\n", sizes.c_str());
        return 0;
    }
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
