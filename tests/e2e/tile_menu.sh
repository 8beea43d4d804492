#!/bin/bash
# The tile menu pins, renames and deletes.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey" --name Letter --remember name=Ann 'Dear ${name},'
start_target
start_korvane 0 2
copy_to_recent "second pin" 2 "no tile appeared for the clip to pin"
tile_menu recent 0
menu_keys Down Return  # Pin is the first item
layout strip 0 3
wait_for $STEP_LIMIT tile_is recent 0 $BACKGROUND || fail "Pin in the tile menu did not move the clip"
wait_for $STEP_LIMIT tile_is pinned 2 $TILE_FRAME || fail "the pinned clip is not the third pin"
tile_menu pinned 2
menu_keys Down Down Return  # Unpin, Rename…
dialog "Rename"
type_to "$dialog_xwindow" "Shortcut"
keys_to "$dialog_xwindow" Return
wait_for $STEP_LIMIT pins_hold "Shortcut" || fail "the new name was not saved"
tile_menu pinned 2
menu_keys Up Return  # Delete is the last item
wait_for $STEP_LIMIT pins_lack "second pin" || fail "Delete in the tile menu did not remove the pin"
echo "ok: the tile menu pinned, renamed and deleted"
