#!/bin/bash
# A Recent tile dragged onto the Pinned section is pinned and saved; Exit in the notification
# icon's menu ends Korvane with code 0 and leaves pins.dat as the last change wrote it; after a
# restart the pin is back.
. "$(dirname "$0")/journey.sh"

start_target
start_korvane 0 0
copy_to_recent "hello from the journey" 0 "no tile appeared after the copy"
drag "$tile_x" "${recent_middle[0]}" "${pinned_drop[0]}" "${recent_top[0]}"
wait_for $STEP_LIMIT pins_hold "hello from the journey" || fail "the dragged tile was not pinned"
echo "ok: dragging the tile to Pinned saved it in pins.dat"

saved=$(md5sum < "$appdata/pins.dat")
exit_korvane
[ "$exit_status" -eq 0 ] || fail "Korvane exited with $exit_status"
[ "$(md5sum < "$appdata/pins.dat")" = "$saved" ] || fail "pins.dat changed at exit"
echo "ok: Exit in the notification menu ended Korvane with code 0, pins.dat as after the last change"

start_korvane 0 1
wait_for $STEP_LIMIT tile_is pinned 0 $TILE_FRAME || fail "the pin did not come back after a restart"
echo "ok: the pin is back after a restart"
