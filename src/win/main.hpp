// The process: start-up, the hidden main window and the message loop.
#pragma once

#include <windows.h>

namespace korvane {

constexpr UINT WM_TRAY_CALLBACK = WM_APP + 1;

// Adds the notification icon (again, after the taskbar was re-created).
void add_notification_icon(HWND main_window, HICON icon);

// Registers "KorvaneMain" and creates the hidden main window.
HWND create_main_window(HINSTANCE instance);

// Start-up, the message loop and shutdown; the process's exit code (always 0).
int run_korvane(HINSTANCE instance);

}  // namespace korvane
