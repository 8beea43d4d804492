#!/bin/bash
# Clear asks first; No changes nothing; Yes empties the Recent list and the clipboard, and the
# pins stay.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey"
start_target
start_korvane 0 1
copy_to_recent "clear me" 1 "no tile appeared for the text to clear"
# answer_clear KEY: clicks Clear and answers its question with the key.
answer_clear() {
    xdotool mousemove "$clear_x" "$clear_y" click 1
    dialog "Korvane" "#32770"
    keys_to "$dialog_xwindow" "$1"
    wait_for_dialog_closed "Korvane" "#32770"
    sync_korvane
}
answer_clear n
tile_is recent 0 $TILE_FRAME || fail "answering No still cleared the Recent list"
answer_clear y
layout strip 0 1
wait_for $STEP_LIMIT tile_is recent 0 $BACKGROUND || fail "answering Yes did not clear the Recent list"
tile_is pinned 0 $TILE_FRAME || fail "the pin went with the Recent list"
paste_in_target
[ -z "$pasted_text" ] || fail "the clipboard still held '$pasted_text' after Clear"
echo "ok: Clear asked first, emptied the Recent list and the clipboard, and kept the pin"
