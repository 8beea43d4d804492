// The tooltips of a toolbar: one tool for each visible tile (the clip's text, name or files) and
// for each button.
#pragma once

#include <windows.h>

#include "core/layout.hpp"

namespace korvane {

// A button's tooltip, which is also its name for screen readers; empty for tiles.
const wchar_t* button_tooltip_text(HitKind kind);

// Brings the tools in step with the tiles and buttons the toolbar shows now.
void rebuild_tooltips(HWND window);

}  // namespace korvane
