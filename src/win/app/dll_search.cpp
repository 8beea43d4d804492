#include "win/app/dll_search.hpp"

#include <windows.h>

#include <delayimp.h>

namespace korvane {
namespace {

// The delay-load helper asks before it loads a DLL with plain LoadLibraryA, which would look
// beside the exe first wherever the default directories are not honoured; the handle returned
// here is the one it binds.  A DLL the system folder lacks is left to the helper, whose search
// is then limited by the process's default directories.
FARPROC WINAPI load_from_system_folder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    wchar_t name[MAX_PATH];
    size_t length = 0;
    for (const char* c = info->szDll; *c; ++c) {
        if (length + 1 >= MAX_PATH) return nullptr;
        name[length++] = wchar_t(static_cast<unsigned char>(*c));
    }
    name[length] = L'\0';
    return reinterpret_cast<FARPROC>(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace

void search_dlls_in_system_folder_only() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    __pfnDliNotifyHook2 = load_from_system_folder;
}

}  // namespace korvane
