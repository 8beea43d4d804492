// The window messages and timers the parts of the program send each other, in one table.
#pragma once

#include <windows.h>

namespace korvane {

// The notification icon's events, to the main window.
constexpr UINT WM_TRAY_CALLBACK = WM_APP + 1;
// The shell's notices about the docked strip's bar, to the strip.
constexpr UINT WM_APPBAR_CALLBACK = WM_APP + 2;
// Posted by the foreground hook to the main window: wParam is the new paste target.
constexpr UINT WM_FOREGROUND_CHANGED = WM_APP + 3;
// Posted by the main window to itself when the shell restarted while the record was taken.
constexpr UINT WM_APPBAR_LOST = WM_APP + 4;
// Posted to a toolbar by a screen reader's default action, whose call must return before the
// command runs.  It carries no data: the action waits in the toolbar's state.
constexpr UINT WM_ACCESSIBLE_ACTION = WM_APP + 5;
// Posted to the main window by the picture packer's worker when compressed pictures are ready.
constexpr UINT WM_PICTURES_PACKED = WM_APP + 6;
// Posted by the main window to itself on a clipboard change: the capture of its last content.
constexpr UINT WM_CAPTURE_CLIPBOARD = WM_APP + 7;
// Posted by a toolbar to itself when it was refreshed while the record was taken.
constexpr UINT WM_REFRESH_TOOLBAR = WM_APP + 8;

// Where the system delivers no foreground events (Wine), the main window asks with this timer.
constexpr UINT_PTR FOREGROUND_POLL_TIMER = 1;
constexpr UINT FOREGROUND_POLL_MS = 100;

}  // namespace korvane
