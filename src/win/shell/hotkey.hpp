// The global shortcut that opens the popup, registered for the main window.
#pragma once

#include <windows.h>

#include <string>

#include "core/shortcut.hpp"

namespace korvane {

constexpr int POPUP_HOTKEY = 1;

// Registers the shortcut; false when another program holds it.  Off registers nothing.
bool register_popup_shortcut(HWND main_window, Shortcut shortcut);

// Start-up: registers the settings' shortcut, or notes why it is not active (shortcut_problem)
// and shows that in the notification icon's tooltip.
void start_popup_shortcut(HWND main_window, Shortcut wanted);

// The settings' new shortcut: registered in place of the old one and kept in the settings file.
// When another program holds it the old one stays, the user is told, and the result is false.
bool change_popup_shortcut(Shortcut wanted);

// Registers the settings' shortcut once more, after it was not active: the program that held it
// may have let it go.  Nothing is said; the note stays when it still fails.
void retry_popup_shortcut();

// "The shortcut X is already used by another program, so Korvane keeps Y to open its popup."
std::string shortcut_taken_message(Shortcut wanted, Shortcut kept);

// Why a shortcut is not active, after RegisterHotKey failed with `error`:
// "The shortcut X is not active: another program already uses it."
std::string shortcut_inactive_message(Shortcut wanted, DWORD error);

}  // namespace korvane
