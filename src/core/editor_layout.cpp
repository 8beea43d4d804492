#include "core/editor_layout.hpp"

namespace korvane {
namespace {

constexpr int EDITOR_WIDTH = 440;
constexpr int FIELD_WIDTH = 416;
constexpr int LABEL_HEIGHT = 18;
constexpr int NAME_HEIGHT = 24;
constexpr int TEXT_HEIGHT = 180;
constexpr int BUTTONS_WITH_TEXT = 294;
constexpr int BUTTONS_WITHOUT_TEXT = 66;

}  // namespace

EditorLayout layout_text_editor(bool with_text_field, int dpi) {
    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    const int m = px(DIALOG_MARGIN);
    EditorLayout layout;
    layout.client_width = px(EDITOR_WIDTH);
    layout.name_label = box(m, px(12), px(FIELD_WIDTH), px(LABEL_HEIGHT));
    layout.name_field = box(m, px(30), px(FIELD_WIDTH), px(NAME_HEIGHT));
    if (with_text_field) {
        layout.text_label = box(m, px(66), px(FIELD_WIDTH), px(LABEL_HEIGHT));
        layout.text_field = box(m, px(84), px(FIELD_WIDTH), px(TEXT_HEIGHT));
        layout.hint = box(m, px(268), px(FIELD_WIDTH), px(LABEL_HEIGHT));
    }
    const int buttons = px(with_text_field ? BUTTONS_WITH_TEXT : BUTTONS_WITHOUT_TEXT);
    layout.cancel = box(layout.client_width - m - px(PUSH_BUTTON_WIDTH), buttons, px(PUSH_BUTTON_WIDTH),
                     px(PUSH_BUTTON_HEIGHT));
    layout.ok = box(layout.client_width - m - px(PUSH_BUTTON_WIDTH) - px(PUSH_BUTTON_GAP) - px(PUSH_BUTTON_WIDTH), buttons,
                 px(PUSH_BUTTON_WIDTH), px(PUSH_BUTTON_HEIGHT));
    layout.client_height = buttons + px(PUSH_BUTTON_HEIGHT) + m;
    return layout;
}

}  // namespace korvane
