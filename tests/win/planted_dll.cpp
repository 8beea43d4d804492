// A DLL planted beside a copy of Korvane.exe under the name of one Korvane uses: loaded, it
// leaves "NAME.dll.loaded" beside itself.  It exports AlphaBlend (planted_dll.def), so that an
// exe importing that from it gets far enough to run its DllMain.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcatW(path, L".loaded");
    const HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}

extern "C" BOOL WINAPI planted_alpha_blend(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) {
    return FALSE;
}
