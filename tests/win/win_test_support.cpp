#include "win_test_support.hpp"

#include <cstring>
#include <thread>

#include "../core/dib_builder.hpp"

namespace korvane::test {

std::vector<uint8_t> solid_dib(int32_t width, int32_t height, uint32_t colour) {
    Bytes dib = blank_dib(width, height);
    for (size_t i = 40; i < dib.size(); i += 4) std::memcpy(&dib[i], &colour, 4);
    return dib;
}

constexpr wchar_t USER_SHELL_FOLDERS[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

RedirectedUserFolder::RedirectedUserFolder(const wchar_t* value_name, const std::wstring& path) : name_(value_name) {
    wchar_t previous[32768];
    DWORD size = sizeof previous;
    if (RegGetValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, value_name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                     RRF_NOEXPAND, nullptr, previous, &size) == ERROR_SUCCESS)
        previous_.emplace(previous);
    RegSetKeyValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, value_name, REG_EXPAND_SZ, path.c_str(),
                    DWORD((path.size() + 1) * sizeof(wchar_t)));
}

RedirectedUserFolder::~RedirectedUserFolder() {
    if (previous_)
        RegSetKeyValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, name_.c_str(), REG_EXPAND_SZ, previous_->c_str(),
                        DWORD((previous_->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, name_.c_str());
}

TempAppData::TempAppData() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    root_ = std::wstring(temp) + L"korvane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    remove_tree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
    redirect_.emplace(L"AppData", root_);
}

TempAppData::~TempAppData() {
    redirect_.reset();
    remove_tree(root_);
}

std::optional<std::vector<uint8_t>> read_file(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<uint8_t> bytes(GetFileSize(file, nullptr));
    DWORD got = 0;
    const BOOL ok = bytes.empty() || ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    CloseHandle(file);
    if (!ok || got != bytes.size()) return std::nullopt;
    return bytes;
}

bool write_file(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD wrote = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
    return ok && wrote == bytes.size();
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void remove_tree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") remove_tree(path + L"\\" + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

HWND find_message_box(const wchar_t* caption) {
    HWND box = FindWindowW(L"#32770", caption);
    return box && IsWindowVisible(box) ? box : nullptr;
}

std::optional<std::wstring> message_box_text(HWND box) {
    // The message text is the static control with id 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (!text) return std::nullopt;
    wchar_t buffer[4096] = {};
    GetWindowTextW(text, buffer, 4096);
    return std::wstring(buffer);
}

MessageBoxWatcher::MessageBoxWatcher(int answer) : answer_(answer) {
    InitializeCriticalSection(&lock_);
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    DeleteCriticalSection(&lock_);
}

std::vector<std::wstring> MessageBoxWatcher::texts() const {
    EnterCriticalSection(&lock_);
    std::vector<std::wstring> copy = texts_;
    LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI MessageBoxWatcher::run(void* self_pointer) {
    auto* self = static_cast<MessageBoxWatcher*>(self_pointer);
    HWND answered = nullptr;
    while (WaitForSingleObject(self->stop_, 20) == WAIT_TIMEOUT) {
        HWND box = find_message_box(L"Korvane");
        if (!box || box == answered) continue;
        if (auto text = message_box_text(box)) {
            EnterCriticalSection(&self->lock_);
            self->texts_.push_back(*text);
            LeaveCriticalSection(&self->lock_);
        }
        PostMessageW(box, WM_COMMAND, self->answer_, 0);
        answered = box;
    }
    return 0;
}

std::wstring program_folder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

Process::~Process() {
    if (process) CloseHandle(process);
}

Process::Process(Process&& other) noexcept : process(other.process), id(other.id) { other.process = nullptr; }

std::optional<DWORD> Process::wait(std::chrono::milliseconds limit) const {
    if (WaitForSingleObject(process, DWORD(limit.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

void Process::kill() const {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
}

std::optional<Process> start_program(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return std::nullopt;
    CloseHandle(info.hThread);
    Process p;
    p.process = info.hProcess;
    p.id = info.dwProcessId;
    return p;
}

HWND find_process_window(DWORD process_id, const wchar_t* window_class) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, window_class, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_id) return window;
    }
    return nullptr;
}

HWND wait_for_dialog(const wchar_t* window_class, std::chrono::milliseconds limit) {
    HWND dialog = nullptr;
    wait_until(
        [&] {
            dialog = FindWindowW(window_class, nullptr);
            return dialog && IsWindowVisible(dialog) && IsWindowEnabled(dialog);
        },
        limit);
    return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

bool click_button(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    const LRESULT before = SendMessageW(button, BM_GETCHECK, 0, 0);
    SendMessageW(button, BM_CLICK, 0, 0);
    return wait_until([&] { return SendMessageW(button, BM_GETCHECK, 0, 0) != before; }, std::chrono::seconds(5));
}

bool user_click(HWND window, POINT client_point, bool right_button) {
    POINT at = client_point;
    if (!ClientToScreen(window, &at) || !SetCursorPos(at.x, at.y)) return false;
    INPUT presses[2] = {};
    presses[0].type = presses[1].type = INPUT_MOUSE;
    presses[0].mi.dwFlags = right_button ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    presses[1].mi.dwFlags = right_button ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    return SendInput(2, presses, sizeof(INPUT)) == 2;
}

}  // namespace korvane::test
