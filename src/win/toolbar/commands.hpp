// What the toolbars' commands do: a click pastes a tile, makes a text pin, opens the settings,
// clears the Recent list or minimizes; the tile menu pins, unpins, renames, edits, re-icons and
// deletes.  A command changes the store within one short borrow of the application record and
// ends with finish_store_change once the record is given back, so that no message box or dialog
// ever runs while the record is taken.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "core/layout.hpp"
#include "core/store.hpp"
#include "core/template.hpp"

namespace korvane {

// The release of the left button over a toolbar: the end of a drag, or a click; with Shift held
// a text tile is pasted as plain text.
LRESULT on_left_button_up(HWND window, POINT at, bool shift);

// As copied: the main format and its companions.  Plain text writes a text clip's text alone.
enum class PasteAs { Copied, PlainText };

void paste_clip(ClipId id, bool from_popup, PasteAs as = PasteAs::Copied);
void open_settings(bool from_popup);

// What a click on a target, or Enter on it, does: a tile pastes its clip, a button runs its
// command.
void run_target_command(HWND window, HitTarget target, ClipId clip, bool from_popup, PasteAs as = PasteAs::Copied);

// The Delete key on a tile: a Recent clip goes at once, a pin once the user has said yes.
void delete_from_keyboard(ClipId id, bool from_popup);

// Move up and Move down take a pin one place towards the front or the end of the pins; Paste as
// plain text pastes a text without the formatting it was copied with.  Each is also the id of its
// item in the tile menu, from 1 (0 is a menu dismissed).
enum class TileCommand : unsigned {
    Pin = 1, Unpin, Rename, EditText, Delete, ChangeIcon, ResetIcon, Variables, MoveUp, MoveDown, PastePlainText
};

// A command of the tile menu for the clip with this id, found again by it after every modal step.
void run_tile_command(TileCommand command, ClipId id, bool from_popup);

// What a change of the store still asks for once the record is free again.
struct StoreChange {
    bool pins_changed = false;      // save the pins file (and warn if that fails)
    bool refresh = true;            // repaint both toolbars
    bool show_popup_again = false;  // reopen the popup at its anchor instead of a plain refresh
};

// Saves the pins when they changed, warning after the borrow when the save fails, then
// refreshes the toolbars or reopens the popup.  Must be called with the record free.
void finish_store_change(const StoreChange& change);

}  // namespace korvane
