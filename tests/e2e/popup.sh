#!/bin/bash
# The notification icon opens the popup with the same clips; a click on a tile there hides the
# popup and pastes into the other program.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey"
start_target
start_korvane 0 1
clear_target
popup_shown() { [ "$(window_info show KorvaneToolbar | cut -d' ' -f1)" = 1 ]; }
xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for $STEP_LIMIT popup_shown || fail "clicking the notification icon did not open the popup"
read -r _ left top right bottom _ < <(window_info show KorvaneToolbar)
layout popup 0 1
# Five tile columns at the least: 284 pixels at 96 dpi.
[ $((right - left)) -eq 284 ] || fail "the popup is $((right - left)) wide, not 284"
[ $((right - left)) -eq "$popup_width" ] && [ $((bottom - top)) -eq "$popup_height" ] \
    || fail "the popup is $((right - left)) x $((bottom - top)), not the layout's $popup_width x $popup_height"
xdotool mousemove "${popup_pinned_x[0]}" "${popup_pinned_y[0]}" click 1
wait_for $STEP_LIMIT pasted_is "hello from the journey" || fail "clicking the pin in the popup did not paste"
popup_shown && fail "the popup stayed open after the paste"
echo "ok: the notification icon opened the popup; a click there pasted the pin"
