// The keyboard focus of a toolbar: which item it is on, moving it, and telling screen readers
// about each move.  Screen readers know the items by their position in toolbar_items, from 1.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "win/toolbar/toolbar.hpp"

namespace korvane {

// The focused item as the toolbar shows it now; nothing when the focus is on a clip that is no
// longer shown, or on a button that is not there.
std::optional<HitTarget> focused_target(const ToolbarState& toolbar, const ClipStore& store, const ToolbarShape& shape);

// The focus for a target, a tile by its clip.
FocusTarget focus_for(HitTarget target, ClipStore& store, const ToolbarShape& shape);

// An item's child id for screen readers: its position among the items, from 1.
std::optional<LONG> child_id_of(const ToolbarShape& shape, HitTarget target);
// The same among items already listed: an item's position among them, from 1; nothing when it
// is not among them.
std::optional<LONG> child_id_in(const std::vector<ToolbarItem>& items, HitTarget target);

// Puts the focus on the target (none: on the list itself), scrolls the strip to show it and
// shows the focus frame; returns the child id to announce once the record is free.
std::optional<LONG> put_focus_on(ToolbarState& toolbar, ClipStore& store, const ToolbarShape& shape,
                                 std::optional<HitTarget> target);

// Tells screen readers that the window's focused item changed, and shows its tooltip beside it.
// Called with the record free: a reader's hook in this process may ask the window about its
// items at once.
void announce_focus(HWND window, std::optional<LONG> child_id);

}  // namespace korvane
