// The warning box: for failures the user can act on (the pins file, the start-up setting, icon
// files).
#pragma once

#include <string_view>

namespace korvane {

// A message box with caption "Korvane", a warning icon and no owner.  Runs a modal loop.
void show_warning(std::string_view text);

}  // namespace korvane
