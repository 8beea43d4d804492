// The settings dialog without its window: where each of its controls goes at a DPI.
#pragma once

#include "core/dialog_layout.hpp"

namespace korvane {

struct SettingsLayout {
    int client_width = 0;
    int client_height = 0;
    Rect placement_label;
    Rect placements[3];  // docked right, docked left, minimized
    Rect sign_in;
    Rect shortcut_label;
    Rect shortcut_field;
    Rect windows_key;  // the shortcut's Windows key, which the field cannot take
    Rect shortcut_note;  // why the shortcut is not active; empty when the dialog has no note
    Rect programs_label;
    Rect programs_field;  // the programs whose copies are never captured, one a line
    Rect credit;
    Rect ok;
    Rect cancel;
};

// With a note, two lines under the shortcut field say why it is not active, and what follows
// moves down to make room.
SettingsLayout layout_settings_dialog(int dpi, bool shortcut_note = false);

}  // namespace korvane
