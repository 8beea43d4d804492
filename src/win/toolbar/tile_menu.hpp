// A tile's menu: what can be done with its clip (pin or unpin, rename, edit, variables, icon,
// delete), opened by a right-click or from the keyboard.
#pragma once

#include <windows.h>

#include "core/layout.hpp"

namespace korvane {

// Opens the menu of the tile at the screen point and runs the chosen command on its clip.
void open_tile_menu(HWND window, HitTarget tile, POINT at);

}  // namespace korvane
