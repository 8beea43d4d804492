// The settings file: two lines, "edge=right|left" and "minimized=true|false", CR LF each, then
// only what differs from the defaults: "shortcut=..." when the popup's shortcut is not the
// default one, "capture=paused" while capture is paused, and "ignore=vault.exe|keepass.exe"
// when programs are listed whose copies are never captured.  Versions that know nothing of a
// line skip it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/shortcut.hpp"

namespace korvane {

struct Settings {
    bool dock_right = true;
    bool minimized = false;
    Shortcut shortcut = DEFAULT_SHORTCUT;
    bool capture_paused = false;
    // File names of programs ("vault.exe") whose copies are never read, in the user's order.
    std::vector<std::string> ignored_programs;
    bool operator==(const Settings&) const = default;
};

// Never fails: whatever cannot be read keeps its default.
Settings parse_settings(std::string_view content);
std::string format_settings(const Settings& settings);

// The list keeps at most this many names, each of at most this many bytes.
constexpr size_t MAX_IGNORED_PROGRAMS = 64;
constexpr size_t MAX_PROGRAM_NAME = 255;

// The program file names in a text that separates them by "|" or line ends (the settings line,
// the dialog's field): each trimmed; empty pieces, names that are not a plain file name (a path,
// a character Windows forbids in one) and repeats in another case dropped; the first
// MAX_IGNORED_PROGRAMS kept.
std::vector<std::string> parse_program_names(std::string_view text);

}  // namespace korvane
