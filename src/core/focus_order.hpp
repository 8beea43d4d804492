// The keyboard's way through a toolbar's items (toolbar_items): where the arrow keys and Tab
// move the focus from the item that has it.
#pragma once

#include <optional>

#include "core/layout.hpp"

namespace korvane {

// The item the arrow keys move the keyboard focus to, by where the items lie: the nearest one
// in that direction, preferring one in the same row or column.  Tab and Shift+Tab go to the
// first item of the next or the previous group of items (the Recent tiles, the pins, the
// buttons), skipping empty ones.  Home and End go to the first and the last item of the focused
// item's group, Page Up and Page Down up or down by as many rows as the window shows, staying in
// the group.  Without a focused item every move starts at the first item.  A move with nowhere to
// go leaves the focus where it is.
enum class FocusMove { Left, Right, Up, Down, NextGroup, PreviousGroup, First, Last, PageUp, PageDown };
std::optional<HitTarget> moved_focus(const ToolbarLayout& layout, std::optional<HitTarget> from, FocusMove move);

}  // namespace korvane
