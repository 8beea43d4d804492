#include "core/settings_layout.hpp"

namespace korvane {
namespace {

constexpr int WIDTH = 400;
constexpr int CONTENT_WIDTH = 376;
constexpr int INDENTED_WIDTH = 368;
constexpr int LABEL_HEIGHT = 20;
constexpr int ROW_HEIGHT = 24;
// The shortcut's two rows sit between the sign-in box and the credit line, which keep their
// places relative to each other.
constexpr int SHORTCUT_ROWS = 56;
// The programs' label and their field of three lines follow the shortcut.
constexpr int PROGRAMS_TOP = 154 + SHORTCUT_ROWS;
constexpr int PROGRAMS_FIELD_HEIGHT = 60;
constexpr int PROGRAMS_ROWS = LABEL_HEIGHT + 2 + PROGRAMS_FIELD_HEIGHT + 12;
constexpr int NOTE_TOP = 202;
constexpr int NOTE_HEIGHT = 34;  // two lines of the dialog font
constexpr int NOTE_ROWS = NOTE_HEIGHT + 4;

}  // namespace

SettingsLayout layout_settings_dialog(int dpi, bool shortcut_note) {
    const int below = shortcut_note ? NOTE_ROWS : 0;  // what follows the shortcut moves down by it
    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    const int m = px(DIALOG_MARGIN);
    SettingsLayout layout;
    layout.client_width = px(WIDTH);
    layout.placement_label = box(m, px(12), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    for (int i = 0; i < 3; ++i)
        layout.placements[i] = box(px(20), px(34 + 24 * i), px(INDENTED_WIDTH), px(ROW_HEIGHT));
    layout.sign_in = box(m, px(118), px(CONTENT_WIDTH), px(ROW_HEIGHT));
    layout.shortcut_label = box(m, px(154), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    layout.shortcut_field = box(px(20), px(176), px(200), px(ROW_HEIGHT));
    layout.windows_key = box(px(228), px(176), px(160), px(ROW_HEIGHT));
    if (shortcut_note) layout.shortcut_note = box(px(20), px(NOTE_TOP), px(INDENTED_WIDTH), px(NOTE_HEIGHT));
    layout.programs_label = box(m, px(PROGRAMS_TOP + below), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    layout.programs_field =
        box(px(20), px(PROGRAMS_TOP + below + LABEL_HEIGHT + 2), px(INDENTED_WIDTH), px(PROGRAMS_FIELD_HEIGHT));
    layout.credit = box(m, px(154 + SHORTCUT_ROWS + PROGRAMS_ROWS + below), px(CONTENT_WIDTH), px(40));
    const int buttons = px(206 + SHORTCUT_ROWS + PROGRAMS_ROWS + below);
    const int button_width = px(PUSH_BUTTON_WIDTH);
    layout.cancel = box(layout.client_width - m - button_width, buttons, button_width, px(PUSH_BUTTON_HEIGHT));
    layout.ok = box(layout.client_width - m - button_width - px(PUSH_BUTTON_GAP) - button_width, buttons, button_width,
                 px(PUSH_BUTTON_HEIGHT));
    layout.client_height = buttons + px(PUSH_BUTTON_HEIGHT) + m;
    return layout;
}

}  // namespace korvane
