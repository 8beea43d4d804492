// The process: start-up, the hidden main window and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

// What the notification icon's tooltip says now: the product name, whether capture is paused,
// and why the shortcut is not active when it is not.
std::wstring notification_tip();

// Puts the reason the popup's shortcut is not active into the icon's tooltip; an empty note
// takes it out again.
void show_shortcut_note(HWND main_window, std::wstring note);

// Registers "KorvaneMain" and creates the hidden main window.
HWND create_main_window(HINSTANCE instance);

// Start-up after the pins are loaded: the main window, both toolbars, the settings, the app and
// notification icons, the clipboard listener and foreground tracking, and the docked strip
// unless minimized.  The application record is installed when it returns.
void start_shell(HINSTANCE instance, std::vector<Clip> pins);

// Start-up, the message loop and shutdown; the process's exit code (always 0).
int run_korvane(HINSTANCE instance);

}  // namespace korvane
