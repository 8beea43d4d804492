// The keyboard's way through a toolbar's items (toolbar_items): where the arrow keys and Tab
// move the focus from the item that has it.
#pragma once

#include <optional>

#include "core/layout.hpp"

namespace korvane {

// The item the arrow keys move the keyboard focus to, by where the items lie: the nearest one
// in that direction, preferring one in the same row or column.  Tab and Shift+Tab go to the
// first item of the next or the previous group of items (the Recent tiles, the pins, the
// buttons), skipping empty ones.  Without a focused item every move starts at the first item.
enum class FocusMove { Left, Right, Up, Down, NextGroup, PreviousGroup };
std::optional<HitTarget> moved_focus(const ToolbarLayout& layout, std::optional<HitTarget> from, FocusMove move);

}  // namespace korvane
