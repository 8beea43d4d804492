#include "win/support/platform.hpp"

#include <windows.h>

namespace korvane {

bool running_on_wine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace korvane
