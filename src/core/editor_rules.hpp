// The text icon editor's rules without its window: the line breaks an edit control shows, and
// the name it hands back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// A multi-line edit control only breaks lines at CR LF: every lone LF becomes CR LF, CR LF
// stays, a lone CR is left alone.
std::string crlf_line_breaks(std::string_view text);

// The name field's text trimmed; nothing when only white space was typed.
std::optional<std::string> editor_name(std::string_view typed);

}  // namespace korvane
