// What the Wine tests share: a private APPDATA folder, files as bytes, message boxes seen and
// answered as a user would, and other programs started and waited for.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvane::test {

// A packed 32-bit DIB of one colour (bottom-up, or top-down for a negative height).
std::vector<uint8_t> solid_dib(int32_t width, int32_t height, uint32_t colour);

// One of the user's folders redirected while the object lives, as the system's own folder
// redirection does: the value of that name under HKCU's User Shell Folders (for example
// "AppData" or "Local AppData"), which the known-folder API reads in every process of the
// prefix.  The environment's variables of the same name are not where Korvane looks.
class RedirectedUserFolder {
public:
    RedirectedUserFolder(const wchar_t* value_name, const std::wstring& path);
    ~RedirectedUserFolder();
    RedirectedUserFolder(const RedirectedUserFolder&) = delete;
    RedirectedUserFolder& operator=(const RedirectedUserFolder&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> previous_;
};

// A fresh folder that the user's roaming application data is redirected to while the object lives.
class TempAppData {
public:
    TempAppData();
    ~TempAppData();
    TempAppData(const TempAppData&) = delete;
    TempAppData& operator=(const TempAppData&) = delete;

    const std::wstring& root() const { return root_; }
    std::wstring korvane_folder() const { return root_ + L"\\Korvane"; }
    std::wstring file(const wchar_t* name) const { return korvane_folder() + L"\\" + name; }

private:
    std::wstring root_;
    std::optional<RedirectedUserFolder> redirect_;
};

std::optional<std::vector<uint8_t>> read_file(const std::wstring& path);
bool write_file(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool file_exists(const std::wstring& path);
void remove_tree(const std::wstring& path);

// Polls until the condition holds or the time is up.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// Answers message boxes captioned "Korvane" from a second thread, collecting their texts: with
// OK, or with the given button (IDYES, IDNO) for a question.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int answer = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<std::wstring> texts() const;

private:
    static DWORD WINAPI run(void* self);
    int answer_;
    HANDLE thread_ = nullptr;
    HANDLE stop_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::vector<std::wstring> texts_;
};

// The text of a visible message box with the given caption, or nothing.
std::optional<std::wstring> message_box_text(HWND box);
HWND find_message_box(const wchar_t* caption);

// The folder of the running test program, where Korvane.exe and the tools are built.
std::wstring program_folder();

struct Process {
    HANDLE process = nullptr;
    DWORD id = 0;
    ~Process();
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&&) = delete;
    // Waits for the exit; nothing when it did not end in time.
    std::optional<DWORD> wait(std::chrono::milliseconds limit) const;
    void kill() const;
};

std::optional<Process> start_program(const std::wstring& exe, const std::wstring& arguments = L"");

// A top-level window of the given class that belongs to the process.
HWND find_process_window(DWORD process_id, const wchar_t* window_class);

// A dialog of this thread's program once it is ready for input: visible and enabled, which its
// runner makes it only after every control exists.  A window found before it is shown has no
// controls yet, and clicks sent to it are lost.  Nothing when none is ready in time.
HWND wait_for_dialog(const wchar_t* window_class, std::chrono::milliseconds limit);

// Clicks a button of a dialog (BM_CLICK) and waits until its check state has changed, so the
// next step sees the click's effect.
bool click_button(HWND dialog, int id);

// A click of the user's at a point of a window's client area: the pointer moves there and the
// button goes down and up through the system's input (SendInput), as an on-screen mouse would do
// it.  It reaches whichever window is at that point, in whatever process; the caller waits for
// its effect.
bool user_click(HWND window, POINT client_point, bool right_button = false);

}  // namespace korvane::test
