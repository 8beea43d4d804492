// The DPI a window is laid out at.  It is read where a window is created or moved to another
// monitor, and handed on as a value to everything that lays out or draws that window.
#pragma once

#include <windows.h>

namespace korvane {

// The DPI of the monitor the window is on (the system's for a window aware of that only).
unsigned window_dpi(HWND window);

// The DPI of a window this thread creates while a SystemDpiWindows lives: the system's.
unsigned system_dpi();

// While it lives, the windows this thread creates are aware of the system DPI only, and Windows
// scales them on a monitor of another DPI: the dialogs, whose controls are laid out once.
class SystemDpiWindows {
public:
    SystemDpiWindows() : previous_(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE)) {}
    SystemDpiWindows(const SystemDpiWindows&) = delete;
    SystemDpiWindows& operator=(const SystemDpiWindows&) = delete;
    ~SystemDpiWindows() {
        if (previous_) SetThreadDpiAwarenessContext(previous_);
    }

private:
    DPI_AWARENESS_CONTEXT previous_;
};

}  // namespace korvane
