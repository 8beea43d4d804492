// The text icon editor without its window: its two layouts, the line breaks an edit control
// shows, and the name it hands back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/dialog_layout.hpp"

namespace korvane {

struct EditorLayout {
    int client_width = 0;
    int client_height = 0;
    Rect name_label;
    Rect name_field;
    // Present only when there is a text to edit.
    std::optional<Rect> text_label;
    std::optional<Rect> text_field;
    std::optional<Rect> hint;
    Rect ok;
    Rect cancel;
};

EditorLayout layout_text_editor(bool with_text_field, int dpi);

// A multi-line edit control only breaks lines at CR LF: every lone LF becomes CR LF, CR LF
// stays, a lone CR is left alone.
std::string crlf_line_breaks(std::string_view text);

// The name field's text trimmed; nothing when only white space was typed.
std::optional<std::string> editor_name(std::string_view typed);

}  // namespace korvane
