// The settings dialog without its window: where each of its controls goes at a DPI.
#pragma once

#include "core/dialog_layout.hpp"

namespace korvane {

struct SettingsLayout {
    int client_width = 0;
    int client_height = 0;
    ControlBox placement_label;
    ControlBox placements[3];  // docked right, docked left, minimized
    ControlBox sign_in;
    ControlBox shortcut_label;
    ControlBox shortcut_field;
    ControlBox windows_key;  // the shortcut's Windows key, which the field cannot take
    ControlBox credit;
    ControlBox ok;
    ControlBox cancel;
};

SettingsLayout layout_settings_dialog(int dpi);

}  // namespace korvane
