// Korvane.exe running in its own process, watched from outside as a user would see it: the
// tooltips of the docked strip's tiles (read from the strip's tooltip control), clicks on the
// tiles, and the process's resource counts.  Nothing in the program is there for the tests.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win_test_support.hpp"

namespace korvane::test {

struct ToolTip {
    RECT rect;
    std::wstring text;
};

struct ResourceCounts {
    DWORD gui_gdi = 0;   // GetGuiResources(GR_GDIOBJECTS)
    DWORD gui_user = 0;  // GetGuiResources(GR_USEROBJECTS)
    // Live entries in the process's GDI handle table (read through its PEB), or nothing where the
    // table cannot be read.
    std::optional<size_t> gdi_table;
    size_t windows = 0;         // top-level and child windows of the process
    DWORD kernel_handles = 0;   // GetProcessHandleCount; Wine 8 gives 0 for another process
    // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage, or PagefileUsage (the same commit charge on
    // Windows) where PrivateUsage is left 0, as Wine 8 leaves it.
    SIZE_T private_bytes = 0;
};

// Live GDI objects of a process as its handle table lists them.  The table is the one
// GetGuiResources would count on Windows; Wine keeps it per process and reports 0 there.
std::optional<size_t> gdi_table_entries(HANDLE process);

// The clipboard's block of the format once the given window has become the clipboard's owner;
// nothing when it does not within 10 s.
std::optional<std::vector<uint8_t>> clipboard_block_owned_by(HWND owner, UINT format);

class RunningKorvane {
public:
    // Starts Korvane.exe (with the APPDATA of this process) and waits for its docked strip.
    static std::optional<RunningKorvane> start();
    RunningKorvane(RunningKorvane&& other) noexcept;
    RunningKorvane& operator=(RunningKorvane&&) = delete;
    ~RunningKorvane();

    bool alive() const;
    // Closes the main window as Exit would, and returns the exit code.
    std::optional<DWORD> close();

    // The tiles' tooltips, Recent first, in the strip's order (the buttons are left out); nothing
    // when the tooltip control does not answer.
    std::optional<std::vector<ToolTip>> tiles() const;
    // Polls until the first tile's tooltip is `text`.
    bool wait_for_front(const std::wstring& text, std::chrono::milliseconds limit) const;
    // Gives Korvane time to handle what was posted to it before the call: a short pause, then
    // messages sent to its main window, which it answers between the messages it takes from its
    // queue.  Under Wine the clipboard update reaches its queue before the change returns.
    bool catch_up() const;
    // A left click of the user's in the middle of the rectangle (client coordinates of the strip).
    void click(const RECT& rect) const;
    // Repaints the whole strip and returns once it has painted.
    bool repaint() const;
    // Sends WM_NULL to the strip and returns how long its answer took, in milliseconds; nothing
    // when it does not answer within 5 s.
    std::optional<double> answer_ms() const;

    ResourceCounts counts() const;
    const Process& process() const { return process_; }
    HWND dock() const { return dock_; }
    HWND main_window() const { return main_; }

private:
    explicit RunningKorvane(Process process) : process_(std::move(process)) {}
    Process process_;
    HWND main_ = nullptr;
    HWND dock_ = nullptr;
    HWND tooltip_ = nullptr;
    void* remote_ = nullptr;  // a page in Korvane's address space for the tooltip requests
};

}  // namespace korvane::test
