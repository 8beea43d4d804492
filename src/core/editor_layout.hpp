// Where the text icon editor's controls go: with a text field, or with the name field alone.
#pragma once

#include <optional>

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

}  // namespace korvane
