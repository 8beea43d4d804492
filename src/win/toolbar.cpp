#include "win/toolbar.hpp"

#include <windows.h>

#include <cwchar>

namespace korvane {
namespace {

BOOL CALLBACK invalidate_toolbar(HWND window, LPARAM) {
    wchar_t name[32];
    if (GetClassNameW(window, name, 32) &&
        (std::wcscmp(name, L"KorvaneToolbar") == 0 || std::wcscmp(name, L"KorvaneDock") == 0))
        InvalidateRect(window, nullptr, FALSE);
    return TRUE;
}

}  // namespace

void refresh_all_toolbars() { EnumThreadWindows(GetCurrentThreadId(), invalidate_toolbar, 0); }

}  // namespace korvane
