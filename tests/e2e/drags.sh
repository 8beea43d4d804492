#!/bin/bash
# Drags pin at the drop position, reorder the pins, and unpin into Recent.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey"
start_target
start_korvane 0 1
copy_to_recent "second pin" 1 "no tile appeared for the second pin"
# Dropped below the pin: pinned after it.
drag "$tile_x" "${recent_middle[0]}" "${pinned_drop[1]}" "${recent_top[0]}"
wait_for $STEP_LIMIT pins_hold "second pin" || fail "the second pin was not pinned"
pins_in_order "hello from the journey" "second pin" || fail "the new pin is not after the first"
layout strip 0 2
drag "$tile_x" "${pinned_middle[1]}" "${pinned_drop[0]}" "${pinned_top[1]}"
wait_for $STEP_LIMIT pins_in_order "second pin" "hello from the journey" \
    || fail "dragging the second pin above the first did not reorder them"
# The first pin (now "second pin") dragged into the empty Recent section unpins it.
drag "$tile_x" "${pinned_middle[0]}" "${recent_drop[0]}" "${pinned_top[0]}"
wait_for $STEP_LIMIT pins_lack "second pin" || fail "dragging a pin to Recent did not unpin it"
layout strip 1 1
wait_for $STEP_LIMIT tile_is recent 0 $TILE_FRAME || fail "the unpinned clip is not in Recent"
echo "ok: drags pinned at the drop position, reordered the pins and unpinned into Recent"
