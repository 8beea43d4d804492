#include "win/app/crash.hpp"

#include <windows.h>

#include <dbghelp.h>
#include <knownfolders.h>

#include <cwchar>
#include <string>

#include "win/storage/files.hpp"
#include "win/support/handles.hpp"
#include "win/app/warning.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

constexpr char CRASH_SAVED[] = "Korvane closed unexpectedly the last time it ran. A report of the crash was saved as:\n";
constexpr char PINS_KEPT[] = "\n\nKorvane saves your pins after every change, so they are as you left them.";
constexpr unsigned KEPT_DUMPS = 5;
// Written beside the dumps after a crash, removed by the start that announces it.
constexpr wchar_t UNREPORTED[] = L"\\unreported";

// A path built in place: the filter runs in a process whose heap may be what broke.
struct Path {
    wchar_t text[MAX_PATH] = {};
    size_t length = 0;
    bool fits = true;

    Path& add(const wchar_t* part) {
        for (; *part; ++part) push(*part);
        return *this;
    }
    // In decimal, with leading zeros up to `digits`.
    Path& add_number(unsigned long value, int digits) {
        wchar_t reversed[20];
        int count = 0;
        do {
            reversed[count++] = wchar_t(L'0' + value % 10);
            value /= 10;
        } while (value != 0 || count < digits);
        while (count > 0) push(reversed[--count]);
        return *this;
    }

private:
    void push(wchar_t c) {
        if (length + 1 >= MAX_PATH) {
            fits = false;
            return;
        }
        text[length++] = c;
        text[length] = L'\0';
    }
};

Path joined(const Path& folder, const wchar_t* name) {
    Path path = folder;
    return path.add(name);
}

// Reached by the filter without the application record, which a crash may leave borrowed.
struct CrashState {
    Path folder;  // %LOCALAPPDATA%\Korvane\crashes
    Path parent;  // %LOCALAPPDATA%\Korvane
    EXCEPTION_POINTERS* exception = nullptr;
    DWORD thread_id = 0;
    LONG entered = 0;
};
CrashState crash_state;

struct DumpScan {
    unsigned count = 0;
    WIN32_FIND_DATAW oldest{};
    WIN32_FIND_DATAW newest{};
};

DumpScan scan_dumps(const Path& folder) {
    DumpScan scan;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(joined(folder, L"\\*.dmp").text, &found);
    if (search == INVALID_HANDLE_VALUE) return scan;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (scan.count == 0 || CompareFileTime(&found.ftLastWriteTime, &scan.oldest.ftLastWriteTime) < 0) scan.oldest = found;
        if (scan.count == 0 || CompareFileTime(&found.ftLastWriteTime, &scan.newest.ftLastWriteTime) >= 0) scan.newest = found;
        ++scan.count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return scan;
}

void keep_newest_dumps(const Path& folder) {
    for (DumpScan scan = scan_dumps(folder); scan.count > KEPT_DUMPS; scan = scan_dumps(folder)) {
        const Path oldest = joined(folder, L"\\").add(scan.oldest.cFileName);
        if (!oldest.fits || !DeleteFileW(oldest.text)) return;
    }
}

using MiniDumpWriter = decltype(&MiniDumpWriteDump);

bool write_minidump(const Path& path) {
    // Loaded only now, from the system folder alone; never unloaded, as the process is ending.
    const HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dbghelp) return false;
    const auto write = reinterpret_cast<MiniDumpWriter>(reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    if (!write) return false;
    OwnedHandle file = owned_file(CreateFileW(path.text, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception{crash_state.thread_id, crash_state.exception, FALSE};
    // The threads (their registers and stacks) and the modules only: the clips in memory may be
    // passwords.  A short clip can still sit inline on a stack, so the stacks keep only what
    // walking them needs (the rest zeroed), and the modules are named without their folders,
    // which hold the user's name.  Wine's dbghelp ignores both filters.
    constexpr auto DUMP_TYPE = MINIDUMP_TYPE(MiniDumpNormal | MiniDumpFilterMemory | MiniDumpFilterModulePaths);
    const bool written = write(GetCurrentProcess(), GetCurrentProcessId(), file.get(), DUMP_TYPE, &exception,
                               nullptr, nullptr) != FALSE;
    file.reset();
    if (!written) DeleteFileW(path.text);
    return written;
}

DWORD WINAPI write_crash_report(void*) {
    CreateDirectoryW(crash_state.parent.text, nullptr);
    CreateDirectoryW(crash_state.folder.text, nullptr);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Path dump = joined(crash_state.folder, L"\\korvane-");
    dump.add_number(now.wYear, 4).add_number(now.wMonth, 2).add_number(now.wDay, 2).add(L"-");
    dump.add_number(now.wHour, 2).add_number(now.wMinute, 2).add_number(now.wSecond, 2).add(L"-");
    dump.add_number(GetCurrentProcessId(), 1).add(L".dmp");
    if (!dump.fits || !write_minidump(dump)) return 1;
    const Path marker = joined(crash_state.folder, UNREPORTED);
    owned_file(CreateFileW(marker.text, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)).reset();
    keep_newest_dumps(crash_state.folder);
    return 0;
}

LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS* exception) {
    // A second fault while the report is written (in the writer, or elsewhere) just ends the process.
    if (InterlockedExchange(&crash_state.entered, 1) != 0 || !crash_state.folder.fits) return EXCEPTION_EXECUTE_HANDLER;
    crash_state.exception = exception;
    crash_state.thread_id = GetCurrentThreadId();
    // The report is written from a thread of its own: the faulting thread's stack may be all but
    // used up, and writing a dump takes more than a little.
    const OwnedHandle writer(CreateThread(nullptr, 0, write_crash_report, nullptr, 0, nullptr));
    if (writer) WaitForSingleObject(writer.get(), INFINITE);
    else write_crash_report(nullptr);
    return EXCEPTION_EXECUTE_HANDLER;
}

Path crash_folder_parent() {
    Path parent;
    const std::optional<std::wstring> folder = korvane_folder_in(FOLDERID_LocalAppData);
    if (!folder) {
        parent.fits = false;
        return parent;
    }
    return parent.add(folder->c_str());
}

void announce_previous_crash() {
    // Removed before anything is said, so that the crash is announced once even if this start
    // goes no further.
    if (!DeleteFileW(joined(crash_state.folder, UNREPORTED).text)) return;
    const DumpScan scan = scan_dumps(crash_state.folder);
    if (scan.count == 0) return;
    const Path dump = joined(crash_state.folder, L"\\").add(scan.newest.cFileName);
    if (dump.fits) show_warning(CRASH_SAVED + from_wide(dump.text) + PINS_KEPT);
}

#ifdef KORVANE_CRASH_SWITCH
// The tests' build only: a real access violation, to see the report written and announced.
void crash_if_asked() {
    if (!std::wcsstr(GetCommandLineW(), L" --crash-for-test")) return;
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}
#endif

}  // namespace

void start_crash_reporting() {
    crash_state.parent = crash_folder_parent();
    crash_state.folder = joined(crash_state.parent, L"\\crashes");
    SetUnhandledExceptionFilter(on_unhandled_exception);
    if (crash_state.folder.fits) announce_previous_crash();
#ifdef KORVANE_CRASH_SWITCH
    crash_if_asked();
#endif
}

}  // namespace korvane
