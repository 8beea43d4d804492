#include "korvane_observer.hpp"

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <cstring>
#include <string_view>

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

constexpr size_t REMOTE_SIZE = 0x20000;
constexpr size_t REMOTE_TEXT = 0x1000;  // the text buffer's offset in the remote page
constexpr size_t REMOTE_TEXT_UNITS = (REMOTE_SIZE - REMOTE_TEXT) / sizeof(wchar_t);

// The tooltips of the strip's buttons follow its tiles.
constexpr std::wstring_view BUTTON_TIPS[] = {L"Create a pinned icon with your own text", L"Settings",
                                             L"Clear the recent clips and empty the clipboard",
                                             L"Minimize to the notification area"};

bool is_button_tip(const std::wstring& text) {
    for (std::wstring_view tip : BUTTON_TIPS)
        if (text == tip) return true;
    return false;
}

struct WindowSearch {
    DWORD process;
    HWND owner;
    HWND found = nullptr;
    size_t count = 0;
};

BOOL CALLBACK find_tooltip(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    // The strip owns two tooltip controls: the mouse's, with a tool for every tile and button, and
    // the keyboard's, with one.
    if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
        const size_t tools = size_t(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
        if (!search->found || tools > search->count) {
            search->found = window;
            search->count = tools;
        }
    }
    return TRUE;
}

BOOL CALLBACK count_child(HWND, LPARAM param) {
    ++reinterpret_cast<WindowSearch*>(param)->count;
    return TRUE;
}

BOOL CALLBACK count_window(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process) return TRUE;
    ++search->count;
    EnumChildWindows(window, count_child, param);
    return TRUE;
}

bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, result) != 0;
}

// Where the x64 PEB keeps the address of the process's GDI handle table, and the layout of one
// of its 24-byte entries: an entry is in use while its type byte is not 0.
constexpr size_t PEB_GDI_TABLE = 0xF8;
constexpr size_t GDI_ENTRY_SIZE = 24;
constexpr size_t GDI_ENTRY_TYPE = 14;
constexpr size_t GDI_ENTRIES = 0x10000;

}  // namespace

std::optional<size_t> gdi_table_entries(HANDLE process) {
    using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return std::nullopt;
    PROCESS_BASIC_INFORMATION basic{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 || !basic.PebBaseAddress)
        return std::nullopt;
    uint64_t table = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const uint8_t*>(basic.PebBaseAddress) + PEB_GDI_TABLE, &table,
                           sizeof table, &got) ||
        got != sizeof table || table == 0)
        return std::nullopt;
    std::vector<uint8_t> entries(GDI_ENTRIES * GDI_ENTRY_SIZE);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &got) ||
        got != entries.size())
        return std::nullopt;
    size_t live = 0;
    for (size_t i = 0; i < GDI_ENTRIES; ++i) live += entries[i * GDI_ENTRY_SIZE + GDI_ENTRY_TYPE] != 0;
    return live;
}

std::optional<std::vector<uint8_t>> clipboard_block_owned_by(HWND owner, UINT format) {
    std::optional<std::vector<uint8_t>> bytes;
    wait_until([&] {
        if (GetClipboardOwner() != owner || !OpenClipboard(nullptr)) return false;
        if (HANDLE handle = GetClipboardData(format)) {
            const SIZE_T size = GlobalSize(handle);
            if (const void* data = GlobalLock(handle)) {
                bytes.emplace(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
                GlobalUnlock(handle);
            }
        }
        CloseClipboard();
        return bytes.has_value();
    }, 10s);
    return bytes;
}

std::optional<RunningKorvane> RunningKorvane::start() {
    std::optional<Process> process = start_program(program_folder() + L"\\Korvane.exe");
    if (!process) return std::nullopt;
    RunningKorvane korvane(std::move(*process));
    const DWORD id = korvane.process_.id;
    const bool up = wait_until([&] {
        korvane.main_ = find_process_window(id, L"KorvaneMain");
        korvane.dock_ = find_process_window(id, L"KorvaneDock");
        if (!korvane.main_ || !korvane.dock_ || !IsWindowVisible(korvane.dock_)) return false;
        WindowSearch search{id, korvane.dock_};
        EnumWindows(find_tooltip, LPARAM(&search));
        korvane.tooltip_ = search.found;
        return korvane.tooltip_ != nullptr;
    }, 20s);
    if (!up) {
        korvane.process_.kill();
        return std::nullopt;
    }
    korvane.remote_ = VirtualAllocEx(korvane.process_.process, nullptr, REMOTE_SIZE, MEM_COMMIT | MEM_RESERVE,
                                     PAGE_READWRITE);
    if (!korvane.remote_) {
        korvane.process_.kill();
        return std::nullopt;
    }
    return korvane;
}

RunningKorvane::RunningKorvane(RunningKorvane&& other) noexcept
    : process_(std::move(other.process_)), main_(other.main_), dock_(other.dock_), tooltip_(other.tooltip_),
      remote_(std::exchange(other.remote_, nullptr)) {}

RunningKorvane::~RunningKorvane() {
    if (!process_.process) return;
    if (alive() && !close()) process_.kill();
}

bool RunningKorvane::alive() const { return process_.process && !process_.wait(0ms); }

std::optional<DWORD> RunningKorvane::close() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    return process_.wait(15s);
}

std::optional<std::vector<ToolTip>> RunningKorvane::tiles() const {
    DWORD_PTR count = 0;
    if (!send(tooltip_, TTM_GETTOOLCOUNT, 0, 0, &count)) return std::nullopt;
    auto* remote = static_cast<uint8_t*>(remote_);
    std::vector<ToolTip> tiles;
    for (DWORD_PTR i = 0; i < count; ++i) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.lpszText = reinterpret_cast<wchar_t*>(remote + REMOTE_TEXT);
        const wchar_t nothing = 0;
        SIZE_T moved = 0;
        if (!WriteProcessMemory(process_.process, remote + REMOTE_TEXT, &nothing, sizeof nothing, &moved) ||
            !WriteProcessMemory(process_.process, remote, &info, sizeof info, &moved))
            return std::nullopt;
        DWORD_PTR found = 0;
        if (!send(tooltip_, TTM_ENUMTOOLSW, i, LPARAM(remote), &found) || !found) return std::nullopt;
        if (!ReadProcessMemory(process_.process, remote, &info, sizeof info, &moved)) return std::nullopt;
        info.lpszText = reinterpret_cast<wchar_t*>(remote + REMOTE_TEXT);
        if (!WriteProcessMemory(process_.process, remote, &info, sizeof info, &moved)) return std::nullopt;
        DWORD_PTR ignored = 0;
        if (!send(tooltip_, TTM_GETTEXTW, REMOTE_TEXT_UNITS, LPARAM(remote), &ignored)) return std::nullopt;
        std::vector<wchar_t> text(REMOTE_TEXT_UNITS);
        if (!ReadProcessMemory(process_.process, remote + REMOTE_TEXT, text.data(), text.size() * sizeof(wchar_t), &moved))
            return std::nullopt;
        text.back() = 0;
        ToolTip tip{info.rect, std::wstring(text.data())};
        if (is_button_tip(tip.text)) break;
        tiles.push_back(std::move(tip));
    }
    return tiles;
}

bool RunningKorvane::wait_for_front(const std::wstring& text, std::chrono::milliseconds limit) const {
    return wait_until([&] {
        const std::optional<std::vector<ToolTip>> now = tiles();
        return now && !now->empty() && now->front().text == text;
    }, limit);
}

bool RunningKorvane::catch_up() const {
    Sleep(50);
    for (int i = 0; i < 3; ++i) {
        DWORD_PTR ignored = 0;
        if (!send(main_, WM_NULL, 0, 0, &ignored)) return false;
        Sleep(10);
    }
    return true;
}

void RunningKorvane::click(const RECT& rect) const {
    user_click(dock_, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

bool RunningKorvane::repaint() const {
    if (!RedrawWindow(dock_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW)) return false;
    DWORD_PTR ignored = 0;
    return send(dock_, WM_NULL, 0, 0, &ignored);
}

std::optional<double> RunningKorvane::answer_ms() const {
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD_PTR ignored = 0;
    if (!send(dock_, WM_NULL, 0, 0, &ignored)) return std::nullopt;
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

ResourceCounts RunningKorvane::counts() const {
    ResourceCounts counts;
    counts.gui_gdi = GetGuiResources(process_.process, GR_GDIOBJECTS);
    counts.gui_user = GetGuiResources(process_.process, GR_USEROBJECTS);
    counts.gdi_table = gdi_table_entries(process_.process);
    WindowSearch search{process_.id, nullptr};
    EnumWindows(count_window, LPARAM(&search));
    counts.windows = search.count;
    GetProcessHandleCount(process_.process, &counts.kernel_handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process_.process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        counts.private_bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return counts;
}

}  // namespace korvane::test
