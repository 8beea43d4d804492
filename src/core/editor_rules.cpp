#include "core/editor_rules.hpp"

#include "core/text.hpp"

namespace korvane {
std::string crlf_line_breaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::optional<std::string> editor_name(std::string_view typed) {
    const std::string_view name = trim(typed);
    if (name.empty()) return std::nullopt;
    return std::string(name);
}

}  // namespace korvane
