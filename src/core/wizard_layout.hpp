// The variables wizard without its window: where each of its controls goes at a DPI.
#pragma once

#include <array>

#include "core/dialog_layout.hpp"
#include "core/template.hpp"

namespace korvane {

struct WizardLayout {
    int client_width = 0;
    int client_height = 0;
    Rect caption;
    Rect kind_label;
    std::array<Rect, VARIABLE_KIND_COUNT> kinds;  // in the order of the kind codes
    Rect options_label;
    Rect options;
    Rect message;
    Rect back;
    Rect next;
    Rect cancel;
};

WizardLayout layout_wizard(int dpi);

}  // namespace korvane
