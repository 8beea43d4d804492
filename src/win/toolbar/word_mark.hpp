// The product name at the top of each toolbar, in runs of different fonts and colours on one
// baseline: one line in the popup, two centred lines in the docked strip's header.
#pragma once

#include <windows.h>

#include "core/layout.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {

void paint_word_mark(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout);

}  // namespace korvane
