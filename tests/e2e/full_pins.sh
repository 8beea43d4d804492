#!/bin/bash
# With 20 pins, Pin is offered greyed as "Pin (20 pins used)" and dragging a Recent clip onto
# the Pinned section changes nothing.
. "$(dirname "$0")/journey.sh"

numbered=()
for n in $(seq 20); do numbered+=("pin number $n"); done
pins "${numbered[@]}"
start_target
start_korvane 0 20
wait_for $STEP_LIMIT tile_is pinned 0 $TILE_FRAME || fail "Korvane did not come back with 20 pins"
full=$(md5sum < "$appdata/pins.dat")
copy_to_recent "one too many" 20 "no tile appeared for the twenty-first clip"

tile_menu recent 0
import -window root "$work/menu.png"
row_darkness() {  # the darkest grey level in menu row N of about 19 pixels
    convert "$work/menu.png" -crop "$((menu_right - menu_left - 8))x15+$((menu_left + 4))+$((menu_top + 3 + 19 * $1))" \
        -colorspace gray -format '%[fx:int(minima * 255)]' info:
}
first=$(row_darkness 0) second=$(row_darkness 1)
[ "$first" -gt $((second + 40)) ] || fail "the first menu item is not greyed (darkest $first against $second)"
menu_keys Down Return Escape
sync_korvane
[ "$(md5sum < "$appdata/pins.dat")" = "$full" ] || fail "the greyed Pin changed the pins"
xdotool mousemove "$target_x" "$target_y"  # off the tile, whose frame changes under the mouse
wait_for $STEP_LIMIT tile_is recent 0 $TILE_FRAME || fail "the greyed Pin moved the Recent clip"

drag "$tile_x" "${recent_middle[0]}" "${pinned_drop[0]}" "${recent_top[0]}"
[ "$(md5sum < "$appdata/pins.dat")" = "$full" ] || fail "dragging onto a full Pinned section changed the pins"
tile_is recent 0 $TILE_FRAME || fail "dragging onto a full Pinned section moved the Recent clip"
echo "ok: with 20 pins, Pin (20 pins used) is greyed and a drag from Recent changes nothing"

# Exit as a user would, so that the strip gives its screen edge back for the tests after these.
exit_korvane
[ "$exit_status" -eq 0 ] || fail "Korvane exited with $exit_status"
