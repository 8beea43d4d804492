// The settings file: two lines, "edge=right|left" and "minimized=true|false", CR LF each.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

struct Settings {
    bool dock_right = true;
    bool minimized = false;
    bool operator==(const Settings&) const = default;
};

// Never fails: whatever cannot be read keeps its default.
Settings parse_settings(std::string_view content);
std::string format_settings(const Settings& settings);

}  // namespace korvane
