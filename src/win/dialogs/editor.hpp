// The text icon editor: the name of a clip and, for text, the text it pastes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

struct EditorResult {
    std::optional<std::string> name;  // trimmed; absent when nothing but white space was typed
    std::optional<std::string> text;  // with CR LF line breaks; absent without a text field
};

// Without an initial text the window shows only the name field.  `focus_text` starts in the
// text field when there is one.  Nothing when cancelled.
std::optional<EditorResult> run_text_editor(std::string_view title, std::string_view initial_name,
                                            std::optional<std::string_view> initial_text, bool focus_text);

}  // namespace korvane
