// The settings dialog: where the toolbar goes, the popup's shortcut, whether Korvane starts at
// sign-in, and the version with links to the licences.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "win/support/handles.hpp"

namespace korvane {

// Runs the dialog and applies what was confirmed.
void run_settings_dialog();

// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, or empty when it cannot be opened.
OwnedKey open_run_key(REGSAM access);

// The sign-in value's data: the running executable's full path in double quotes.
std::wstring run_value_data(const std::wstring& executable);

// Whether a sign-in value starts this executable: its data with the quotes removed names the
// same path, compared without regard to case as Windows compares paths.
bool run_value_names(std::wstring_view data, std::wstring_view executable);

}  // namespace korvane
