// What a click on a toolbar does: paste a tile, make a text pin, open the settings, clear the
// Recent list, minimize.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "core/store.hpp"
#include "core/template.hpp"

namespace korvane {

LRESULT on_left_button_up(HWND window, POINT at);

void paste_clip(Area area, size_t index, bool from_popup);
void new_text_pin(bool from_popup);
void open_settings(bool from_popup);
void clear_recent_command(HWND window, bool from_popup);

// Definitions in step with the text; the wizard asks about any name that is new.
std::vector<VariableDefinition> define_new_variables(std::string_view text,
                                                     const std::vector<VariableDefinition>& definitions);

}  // namespace korvane
