// The settings file: two lines, "edge=right|left" and "minimized=true|false", CR LF each, and a
// third, "shortcut=...", only when the popup's shortcut is not the default one.  Versions that
// know nothing of it skip the line.
#pragma once

#include <string>
#include <string_view>

#include "core/shortcut.hpp"

namespace korvane {

struct Settings {
    bool dock_right = true;
    bool minimized = false;
    Shortcut shortcut = DEFAULT_SHORTCUT;
    bool operator==(const Settings&) const = default;
};

// Never fails: whatever cannot be read keeps its default.
Settings parse_settings(std::string_view content);
std::string format_settings(const Settings& settings);

}  // namespace korvane
