#include "core/settings.hpp"

#include "core/text.hpp"

namespace korvane {
namespace {

constexpr std::string_view NOT_IN_FILE_NAMES = "\\/:*?\"<>|";

bool is_program_file_name(std::string_view name) {
    if (name.empty() || name.size() > MAX_PROGRAM_NAME || name == "." || name == "..") return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || NOT_IN_FILE_NAMES.find(c) != std::string_view::npos) return false;
    return is_valid_utf8(name);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace

std::vector<std::string> parse_program_names(std::string_view text) {
    std::vector<std::string> names;
    while (!text.empty() && names.size() < MAX_IGNORED_PROGRAMS) {
        const size_t end = text.find_first_of("|\r\n");
        const std::string_view name = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!is_program_file_name(name)) continue;
        bool repeated = false;
        for (const std::string& known : names) repeated = repeated || same_name(known, name);
        if (!repeated) names.emplace_back(name);
    }
    return names;
}

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
        } else if (key == "capture") {
            settings.capture_paused = value == "paused";
        } else if (key == "ignore") {
            settings.ignored_programs = parse_program_names(value);
        }
    }
    return settings;
}

std::string format_settings(const Settings& settings) {
    std::string content = std::string("edge=") + (settings.dock_right ? "right" : "left") + "\r\nminimized=" +
                          (settings.minimized ? "true" : "false") + "\r\n";
    if (settings.shortcut != DEFAULT_SHORTCUT) content += "shortcut=" + shortcut_text(settings.shortcut) + "\r\n";
    if (settings.capture_paused) content += "capture=paused\r\n";
    if (!settings.ignored_programs.empty()) {
        content += "ignore=";
        for (size_t i = 0; i < settings.ignored_programs.size(); ++i)
            content += (i ? "|" : "") + settings.ignored_programs[i];
        content += "\r\n";
    }
    return content;
}

}  // namespace korvane
