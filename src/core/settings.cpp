#include "core/settings.hpp"

#include "core/text.hpp"

namespace korvane {

Settings parse_settings(std::string_view content) {
    Settings settings;
    if (!is_valid_utf8(content)) return settings;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, equals));
        const std::string_view value = trim(line.substr(equals + 1));
        if (key == "minimized") {
            settings.minimized = value == "true";
        } else if (key == "edge") {
            if (value == "right") settings.dock_right = true;
            if (value == "left") settings.dock_right = false;
        } else if (key == "shortcut") {
            if (const std::optional<Shortcut> shortcut = parse_shortcut(value)) settings.shortcut = *shortcut;
        }
    }
    return settings;
}

std::string format_settings(const Settings& settings) {
    std::string content = std::string("edge=") + (settings.dock_right ? "right" : "left") + "\r\nminimized=" +
                          (settings.minimized ? "true" : "false") + "\r\n";
    if (settings.shortcut != DEFAULT_SHORTCUT) content += "shortcut=" + shortcut_text(settings.shortcut) + "\r\n";
    return content;
}

}  // namespace korvane
