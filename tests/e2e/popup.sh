#!/bin/bash
# The notification icon opens the popup with the same clips; a click on a tile there hides the
# popup and pastes into the other program.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey"
start_target
start_korvane 0 1
clear_target
xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for $STEP_LIMIT shown KorvaneToolbar || fail "clicking the notification icon did not open the popup"
width=$((window_right - window_left)) height=$((window_bottom - window_top))
layout popup 0 1
# Five tile columns at the least: 284 pixels at 96 dpi.
[ "$width" -eq 284 ] || fail "the popup is $width wide, not 284"
[ "$width" -eq "$popup_width" ] && [ "$height" -eq "$popup_height" ] \
    || fail "the popup is $width x $height, not the layout's $popup_width x $popup_height"
xdotool mousemove "${popup_pinned_x[0]}" "${popup_pinned_y[0]}" click 1
wait_for $STEP_LIMIT pasted_is "hello from the journey" \
    || fail "clicking the pin in the popup did not paste (the target $(target_has_focus && echo had || echo did not have) the keyboard)"
shown KorvaneToolbar && fail "the popup stayed open after the paste"
echo "ok: the notification icon opened the popup; a click there pasted the pin"
