#!/bin/bash
# Copy in the other program: the tile appears at the top of Recent; a click on it pastes the
# clip back there.
. "$(dirname "$0")/journey.sh"

start_target
start_korvane 0 0
echo "ok: the strip is docked at the right edge"

copy_to_recent "hello from the journey" 0 "no tile appeared after the copy"
echo "ok: the copy became a tile"

clear_target
xdotool mousemove "$tile_x" "${recent_middle[0]}" click 1
wait_for $STEP_LIMIT pasted_is "hello from the journey" || fail "the click did not paste (edit holds '$(cat "$pasted" 2>/dev/null)')"
echo "ok: clicking the tile pasted it into the other program"
