// The tooltips of a toolbar: one tool for each visible tile (the clip's text, name or files) and
// for each button.
#pragma once

#include <windows.h>

namespace korvane {

// Registers the tools anew for the tiles and buttons the toolbar shows now.
void rebuild_tooltips(HWND window);

}  // namespace korvane
