#!/bin/bash
# The rest of a pin's menu: Edit text…, Variables…, Change icon… through the file dialog with a
# PNG and an SVG, Reset icon and Unpin; each saves the pins.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey" --name Letter --remember name=Ann 'Dear ${name},'
start_target
start_korvane 0 2

# A plain text pin's menu: Unpin, Rename…, Edit text…, Change icon…, Delete.
tile_menu pinned 0
menu_keys Down Down Down Return
dialog "Edit text"
type_to "$dialog_xwindow" 'Hello ${who}'
keys_to "$dialog_xwindow" Tab Return
dialog "Define the values to fill in"
keys_to "$dialog_xwindow" Return
wait_for_dialog_closed "Define the values to fill in"
wait_for $STEP_LIMIT pins_hold 'Hello ${who}' || fail "the edited text was not saved"
pins_lack "hello from the journey" || fail "the old text is still in pins.dat"
echo "ok: Edit text… changed the pin's text, asked about its new value and saved it"

# A template's menu: Unpin, Rename…, Edit text…, Variables…, Change icon…, Delete.  Making
# ${name} a Number drops the value remembered for it as free text.
pins_hold "Ann" || fail "the remembered value is missing before Variables…"
tile_menu pinned 1
menu_keys Down Down Down Down Return
dialog "Define the values to fill in"
keys_to "$dialog_xwindow" Down Return  # from Free text to Number, then Finish
wait_for_dialog_closed "Define the values to fill in"
wait_for $STEP_LIMIT pins_lack "Ann" || fail "changing the kind of \${name} was not saved"
echo "ok: Variables… changed the kind of the value and saved it"

cp "$here/../win/data/wide-200x100.png" "$work/landscape.png"
cp "$here/../win/data/tall.svg" "$work/portrait.svg"
file_name_box_has_focus() { [ "$(window_info foreground "Choose an icon" "#32770" | cut -d' ' -f3)" = Edit ]; }
choose_icon() {  # choose_icon PIN_INDEX ITEMS_DOWN FILE
    local before downs
    before=$(pins_size)
    downs=$(printf 'Down %.0s' $(seq "$2"))
    tile_menu pinned "$1"
    menu_keys $downs Return
    wait_for $STEP_LIMIT file_name_box_has_focus || fail "Change icon… did not open the file dialog"
    dialog "Choose an icon" "#32770"
    type_to "$dialog_xwindow" "$(winepath -w "$3")"
    keys_to "$dialog_xwindow" Return
    wait_for_dialog_closed "Choose an icon" "#32770"
    # A custom icon adds its length and 96 x 96 x 4 bytes to the pin's record.
    wait_for $STEP_LIMIT pins_size_is $((before + 4 + 36864)) \
        || fail "the icon from $3 was not saved (pins.dat $before -> $(pins_size) bytes)"
}
digest_is_not() { [ "$(tile_digest "$1")" != "$2" ]; }
digest_is() { [ "$(tile_digest "$1")" = "$2" ]; }
hello_picture=$(tile_digest "${pinned_top[0]}")
letter_picture=$(tile_digest "${pinned_top[1]}")
# Both pins have a placeholder now: Unpin, Rename…, Edit text…, Variables…, Change icon…
choose_icon 0 5 "$work/landscape.png"
choose_icon 1 5 "$work/portrait.svg"
wait_for $STEP_LIMIT digest_is_not "${pinned_top[0]}" "$hello_picture" || fail "the PNG icon is not shown on the tile"
wait_for $STEP_LIMIT digest_is_not "${pinned_top[1]}" "$letter_picture" || fail "the SVG icon is not shown on the tile"
echo "ok: Change icon… took a PNG and an SVG through the file dialog, showed and saved them"

# Reset icon follows Change icon… once there is a custom icon.
with_icon=$(pins_size)
tile_menu pinned 0
menu_keys Down Down Down Down Down Down Return
wait_for $STEP_LIMIT pins_size_is $((with_icon - 4 - 36864)) || fail "Reset icon was not saved"
wait_for $STEP_LIMIT digest_is "${pinned_top[0]}" "$hello_picture" || fail "Reset icon did not bring the animal back"
echo "ok: Reset icon brought the animal picture back and saved the pin"

tile_menu pinned 0
menu_keys Down Return  # Unpin
wait_for $STEP_LIMIT pins_lack 'Hello ${who}' || fail "Unpin did not remove the pin from pins.dat"
# Unpinned to the front of Recent, Letter alone in Pinned.
layout strip 1 1
wait_for $STEP_LIMIT tile_is recent 0 $TILE_FRAME || fail "the unpinned clip is not in Recent"
echo "ok: Unpin moved the pin to the front of the Recent list and saved the pins"
