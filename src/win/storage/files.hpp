// The pins file and the settings file under %APPDATA%\Korvane.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/clip.hpp"
#include "core/store.hpp"
#include "core/settings.hpp"

namespace korvane {

// The Korvane folder in one of the user's folders (FOLDERID_RoamingAppData for the pins and the
// settings, FOLDERID_LocalAppData for the crash reports) as the system names it, never as the
// environment says; nothing when the system names none.
std::optional<std::wstring> korvane_folder_in(const GUID& known);

struct LoadedPins {
    std::vector<Clip> pins;
    std::optional<std::string> error;  // the text start-up shows after its message
};

// Reads pins.dat.  A missing file (or APPDATA) is no error.  When the file exists but cannot be
// used, it is remembered so that the next save keeps it under another name instead of losing it.
LoadedPins load_pins();

// Writes every pin through pins.tmp and replaces pins.dat with it; a file another program holds
// for a moment is tried again for about half a second.  Returns the error's text, or nothing.
// Shows nothing, so it may run while the application record is borrowed.
std::optional<std::string> write_pins_file(const std::vector<Clip>& pins);

// Warns of a failed save once ("Could not save pinned clips:\n" and the error); later failures are
// silent until a save succeeds again, so a new failure after that is reported too.  Runs a modal
// loop when it warns: never call it while the application record is borrowed.
void report_pins_save(const std::optional<std::string>& error);

// Both steps at once, for code that holds no application record.
void save_pins(const std::vector<Clip>& pins);

// A check of whether the file system can still find paths, for the missing-files flag of Files
// clips: one check for a popup or a paste.  A path that may be on another machine is not asked
// about and counts as found.
PathExists path_check();

// Whether asking the file system about the path may have to reach another machine: a share, a
// path on a network drive, or a path on no drive at all (a device, or one relative to the current
// folder).
bool may_be_remote(const FilePath& path);

Settings read_settings();
// Writes settings.ini.  Returns the error's text, or nothing; without APPDATA there is nowhere
// to keep the settings and nothing is written.  Shows nothing.
std::optional<std::string> write_settings_file(const Settings& settings);
// Warns of a failed write once ("Could not save the settings:\n" and the error), as for the pins.
void report_settings_save(const std::optional<std::string>& error);

// The system's text for an error code followed by " (os error N)".
std::string os_error_text(unsigned long code);

}  // namespace korvane
