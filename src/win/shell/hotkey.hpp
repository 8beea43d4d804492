// The global shortcut that opens the popup, registered for the main window.
#pragma once

#include <windows.h>

#include "core/shortcut.hpp"

namespace korvane {

constexpr int POPUP_HOTKEY = 1;

// Registers the shortcut; false when another program holds it.  Off registers nothing.
bool register_popup_shortcut(HWND main_window, Shortcut shortcut);

// The settings' new shortcut: registered in place of the old one and kept in the settings file.
// When another program holds it the old one stays, the user is told, and the result is false.
bool change_popup_shortcut(Shortcut wanted);

// "The shortcut X is already used by another program, so Korvane keeps Y to open its popup."
std::string shortcut_taken_message(Shortcut wanted, Shortcut kept);

}  // namespace korvane
