#!/bin/bash
# "+" makes a template pin; the wizard asks about its value; a click on the pin asks for it and
# pastes the filled-in text; the next time it offers the last value.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey"
start_target
start_korvane 0 1
xdotool mousemove "$new_text_x" "$new_text_y" click 1
dialog "New text icon"
type_to "$dialog_xwindow" "Letter"
keys_to "$dialog_xwindow" Tab
type_to "$dialog_xwindow" 'Dear ${name},'
keys_to "$dialog_xwindow" Tab Return
dialog "Define the values to fill in"
keys_to "$dialog_xwindow" Return
wait_for_dialog_closed "Define the values to fill in"
wait_for $STEP_LIMIT pins_hold 'Dear ${name},' || fail "the template pin was not saved"
layout strip 0 2
# The ${} badge fills the lower right of the tile; this point lies in it, left of its text.
wait_for $STEP_LIMIT pixel_is "$tile_x" $((pinned_top[1] + tile_size * 3 / 4)) $TEMPLATE_BADGE \
    || fail "the template pin shows no \${} badge"

clear_target
xdotool mousemove "$tile_x" "${pinned_middle[1]}" click 1
dialog "Fill in: Letter"
type_to "$dialog_xwindow" "Ann"
keys_to "$dialog_xwindow" Return
wait_for $STEP_LIMIT pasted_is "Dear Ann," || fail "the filled-in template was not pasted (edit holds '$(cat "$pasted" 2>/dev/null)')"
wait_for $STEP_LIMIT pins_hold "Ann" || fail "the value given was not remembered in pins.dat"

clear_target
xdotool mousemove "$tile_x" "${pinned_middle[1]}" click 1
dialog "Fill in: Letter"
keys_to "$dialog_xwindow" Return  # nothing typed: the value offered is the one given last time
wait_for $STEP_LIMIT pasted_is "Dear Ann," || fail "Fill in did not offer Ann again (pasted '$(cat "$pasted" 2>/dev/null)')"
echo "ok: + made a template pin through the wizard; Fill in pasted 'Dear Ann,' and offered Ann again"
