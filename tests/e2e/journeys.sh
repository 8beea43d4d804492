#!/bin/bash
# Whole-program journeys under Wine, acting only through the screen: xdotool moves the mouse and
# types, ImageMagick reads pixels, and the test target program reports what its edit control
# holds.  Runs in the test prefix on the X display of the ctest run.
# usage: journeys.sh BIN_DIR
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/env.sh"
export WINEPREFIX=$KORVANE_TEST_PREFIX
appdata="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Korvane"
work=$(mktemp -d)
pasted="$work/pasted.txt"
korvane_pid= target_pid=
cleanup() {
    [ -n "$korvane_pid" ] && kill "$korvane_pid" 2>/dev/null
    [ -n "$target_pid" ] && kill "$target_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; import -window root "$work/../korvane-journey-failure.png" 2>/dev/null || true; exit 1; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    local limit=$1; shift
    local end=$((SECONDS + limit))
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.2
    done
}
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
pasted_is() { [ -f "$pasted" ] && [ "$(cat "$pasted")" = "$1" ]; }
pins_hold() { [ -f "$appdata/pins.dat" ] && grep -q "$1" "$appdata/pins.dat"; }

rm -rf "$appdata"
wine "$bin/test_target.exe" "$(winepath -w "$pasted")" >/dev/null 2>&1 &
target_pid=$!
wait_for 20 xdotool search --name "Korvane test target" >/dev/null || fail "the test target did not start"
wine "$bin/Korvane.exe" >/dev/null 2>&1 &
korvane_pid=$!

# The strip: 76 pixels wide at the right edge of the 1920 x 1080 screen.
strip=1844
wait_for 20 pixel_is $((strip + 40)) 300 "#F3F3F3" || fail "the docked strip did not appear"
echo "ok: the strip is docked at the right edge"

# Journey 1: copy in the other program, the tile appears, a click pastes it back there.
xdotool mousemove 850 350 click 1
sleep 0.5
xdotool type --delay 20 "hello from the journey"
xdotool key End shift+Home ctrl+c  # select the line as a user would, then copy
# The first Recent tile is at (14, 104) in the strip; its frame's top edge is grey.
wait_for 10 pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "no tile appeared after the copy"
echo "ok: the copy became a tile"
xdotool key End shift+Home BackSpace
wait_for 5 pasted_is "" || fail "the edit control was not emptied"
xdotool mousemove $((strip + 38)) 128 click 1
wait_for 10 pasted_is "hello from the journey" || fail "the click did not paste (edit holds '$(cat "$pasted")')"
echo "ok: clicking the tile pasted it into the other program"

# Journey 2: drag the tile onto the Pinned section: it is pinned and saved.
xdotool mousemove $((strip + 38)) 128 mousedown 1
for y in 140 160 180 200; do xdotool mousemove $((strip + 38)) $y; sleep 0.1; done
xdotool mouseup 1
wait_for 10 pins_hold "hello from the journey" || fail "the dragged tile was not pinned"
echo "ok: dragging the tile to Pinned saved it in pins.dat"

# Journey 3: the notification icon opens the popup with the same clips; a click on a tile there
# hides the popup and pastes into the other program.
tray=$(xdotool search --name "Wine System Tray" | head -1)
[ -n "$tray" ] || fail "no notification area icon"
eval "$(xdotool getwindowgeometry --shell "$tray")"
icon_x=$((X + 10)) icon_y=$((Y + 10))
popup_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^Korvane$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$WIDTH" -gt 76 ]; then echo "$w"; return 0; fi
    done
    return 1
}
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace
wait_for 5 pasted_is "" || fail "the edit control was not emptied"
xdotool mousemove $icon_x $icon_y click 1
wait_for 10 popup_window >/dev/null || fail "clicking the notification icon did not open the popup"
popup=$(popup_window)
eval "$(xdotool getwindowgeometry --shell "$popup")"
[ "$WIDTH" -eq 284 ] || fail "the popup is $WIDTH wide, not 284"
# With no Recent clip and one pin, the pin's tile is at (10, 132) in the popup.
xdotool mousemove $((X + 34)) $((Y + 156)) click 1
wait_for 10 pasted_is "hello from the journey" || fail "clicking the pin in the popup did not paste"
popup_window >/dev/null && fail "the popup stayed open after the paste"
echo "ok: the notification icon opened the popup; a click there pasted the pin"

# Exit from the notification icon's menu ends the program with code 0; pins.dat stays.
saved=$(md5sum < "$appdata/pins.dat")
# Exit from the notification icon's menu; exit_status is then Korvane's exit code.
exit_korvane() {
    xdotool mousemove $icon_x $icon_y click 3
    sleep 1
    xdotool key Up Return
    wait_for 10 bash -c "! kill -0 $korvane_pid 2>/dev/null" || fail "Exit did not end Korvane"
    wait "$korvane_pid" && exit_status=0 || exit_status=$?
    korvane_pid=
}
exit_korvane
[ "$exit_status" -eq 0 ] || fail "Korvane exited with $exit_status"
[ "$(md5sum < "$appdata/pins.dat")" = "$saved" ] || fail "pins.dat changed at exit"
echo "ok: Exit in the notification menu ended Korvane with code 0, pins.dat as after the last change"

# Journey 4: after a restart the pin is still there with its picture.
wine "$bin/Korvane.exe" >/dev/null 2>&1 &
korvane_pid=$!
# Pinned 1/20 with an empty Recent list: the pin's tile at (14, 184) in the strip.
wait_for 20 pixel_is $((strip + 38)) 184 "#D0D0D0" || fail "the pin did not come back after a restart"
echo "ok: the pin is back after a restart"

# Journey 5: Clear asks first; No changes nothing; Yes empties the Recent list and the
# clipboard, and the pins stay.
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace
xdotool type --delay 20 "clear me"
xdotool key End shift+Home ctrl+c
wait_for 10 pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "no tile appeared for the text to clear"
clear_button() { xdotool mousemove $((strip + 61)) 91 click 1; sleep 1.5; }
clear_button
xdotool key n
sleep 1
pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "answering No still cleared the Recent list"
clear_button
xdotool key y
wait_for 10 pixel_is $((strip + 38)) 104 "#F3F3F3" || fail "answering Yes did not clear the Recent list"
pixel_is $((strip + 38)) 184 "#D0D0D0" || fail "the pin went with the Recent list"
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace ctrl+v
sleep 1
pasted_is "" || fail "the clipboard still held '$(cat "$pasted")' after Clear"
echo "ok: Clear asked first, emptied the Recent list and the clipboard, and kept the pin"

# Journey 6: drags pin at the drop position, reorder the pins, and unpin into Recent.
drag() {  # drag X Y1 Y2: press at (X, Y1), move in steps, release at (X, Y2)
    local x=$1 from=$2 to=$3 step y
    xdotool mousemove "$x" "$from" mousedown 1
    step=$(( (to - from) / 5 ))
    for y in $((from + step)) $((from + 2 * step)) $((from + 3 * step)) $((from + 4 * step)) "$to"; do
        xdotool mousemove "$x" "$y"
        sleep 0.1
    done
    xdotool mouseup 1
    sleep 0.5
}
offset_of() { grep -boa "$1" "$appdata/pins.dat" | head -1 | cut -d: -f1; }
pins_lack() { ! grep -q "$1" "$appdata/pins.dat"; }
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace
xdotool type --delay 20 "second pin"
xdotool key End shift+Home ctrl+c
wait_for 10 pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "no tile appeared for the second pin"
# One Recent tile and one pin: the pin at y 184; dropping at y 240 inserts after it.
drag $((strip + 38)) 128 240
wait_for 10 pins_hold "second pin" || fail "the second pin was not pinned"
[ "$(offset_of "hello from the journey")" -lt "$(offset_of "second pin")" ] || fail "the new pin is not after the first"
# No Recent tile now: the pins at y 184 and 238; the second one dragged above the first.
drag $((strip + 38)) 262 190
wait_for 10 bash -c "[ \$(grep -boa 'second pin' '$appdata/pins.dat' | cut -d: -f1) -lt \$(grep -boa 'hello from the journey' '$appdata/pins.dat' | cut -d: -f1) ]" \
    || fail "dragging the second pin above the first did not reorder them"
# The first pin (now "second pin") dragged into the empty Recent section unpins it.
drag $((strip + 38)) 208 120
wait_for 10 pins_lack "second pin" || fail "dragging a pin to Recent did not unpin it"
wait_for 5 pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "the unpinned clip is not in Recent"
echo "ok: drags pinned at the drop position, reordered the pins and unpinned into Recent"

# Journey 7: "+" makes a template pin; the wizard asks about its value; a click on the pin asks
# for it and pastes the filled-in text; the next time it offers the last value.
dialog_open() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
xdotool mousemove $((strip + 14)) 57 click 1
wait_for 10 dialog_open "New text icon" || fail "the + button did not open the editor"
sleep 0.5
xdotool type --delay 20 "Letter"
xdotool key Tab
xdotool type --delay 20 'Dear ${name},'
xdotool key Tab Return
wait_for 10 dialog_open "Define the values to fill in" || fail "the wizard did not open for the new name"
sleep 0.5
xdotool key Return
wait_for 10 bash -c '! xdotool search --onlyvisible --name "Define the values to fill in" >/dev/null 2>&1' || fail "the wizard did not finish"
wait_for 10 pins_hold 'Dear ${name},' || fail "the template pin was not saved"
# One Recent tile and two pins: the new pin's tile at (14, 238); its badge is dark blue.
wait_for 5 pixel_is $((strip + 38)) 274 "#005FB8" || fail "the template pin shows no \${} badge"
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace
wait_for 5 pasted_is "" || fail "the edit control was not emptied"
xdotool mousemove $((strip + 38)) 262 click 1
wait_for 10 dialog_open "Fill in: Letter" || fail "clicking the template did not open Fill in: Letter"
sleep 0.5
xdotool type --delay 20 "Ann"
xdotool key Return
wait_for 10 pasted_is "Dear Ann," || fail "the filled-in template was not pasted (edit holds '$(cat "$pasted")')"
wait_for 10 pins_hold "Ann" || fail "the value given was not remembered in pins.dat"
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace
wait_for 5 pasted_is "" || fail "the edit control was not emptied"
xdotool mousemove $((strip + 38)) 262 click 1
wait_for 10 dialog_open "Fill in: Letter" || fail "the template did not open again"
sleep 0.5
xdotool key Return   # nothing typed: the value offered is the one given last time
wait_for 10 pasted_is "Dear Ann," || fail "Fill in did not offer Ann again (pasted '$(cat "$pasted")')"
echo "ok: + made a template pin through the wizard; Fill in pasted 'Dear Ann,' and offered Ann again"

# A menu is a visible X window without a name, smaller than the screen.
menu_geometry() {
    local w
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$WIDTH" -lt 1920 ]; then echo "$WIDTH $HEIGHT $X $Y"; return 0; fi
    done
    return 1
}
# The menu of the tile at strip y TOP; keys go to it once it is on screen.
tile_menu() {
    xdotool mousemove $((strip + 38)) "$1" click 3
    sleep 1
    wait_for 5 menu_geometry >/dev/null || fail "no tile menu appeared at y $1"
}

# Journey 8: the tile menu pins, renames and deletes.
# The Recent tile ("second pin") at (14, 104): Pin is the menu's first item.
# Wine's menu sometimes drops keys sent just after it opens: the menu is closed and opened again.
for attempt in 1 2 3; do
    tile_menu 128
    xdotool key Down Return
    wait_for 5 pixel_is $((strip + 38)) 104 "#F3F3F3" && break
    xdotool key Escape
done
# Three pins now and no Recent tile: the third pin's tile at (14, 292).
wait_for 10 pixel_is $((strip + 38)) 104 "#F3F3F3" || fail "Pin in the tile menu did not move the clip"
wait_for 10 pixel_is $((strip + 38)) 292 "#D0D0D0" || fail "the pinned clip is not the third pin"
tile_menu 316
xdotool key Down Down Return   # Unpin, Rename…
wait_for 10 dialog_open "Rename" || fail "Rename… did not open the editor"
sleep 0.5
xdotool type --delay 20 "Shortcut"
xdotool key Return
wait_for 10 pins_hold "Shortcut" || fail "the new name was not saved"
tile_menu 316
xdotool key Up Return           # Delete is the last item
wait_for 10 pins_lack "second pin" || fail "Delete in the tile menu did not remove the pin"
echo "ok: the tile menu pinned, renamed and deleted"

# Journey 9: the rest of a pin's menu: Edit text…, Variables…, Change icon… through the file
# dialog with a PNG and an SVG, Reset icon and Unpin; each saves the pins.
# No Recent tile; the pins "hello from the journey" at (14, 184) and "Letter" at (14, 238).
# A digest of what a 48 x 48 tile at strip y TOP shows, with the mouse away from it (a hovered
# tile has another frame).
tile_digest() {
    xdotool mousemove 1000 700
    sleep 0.5
    import -window root -crop "48x48+$((strip + 14))+$1" rgb:- 2>/dev/null | md5sum
}
pins_size() { stat -c %s "$appdata/pins.dat"; }
dialog_closed() { ! dialog_open "$1"; }
# The pin's menu: Unpin, Rename…, Edit text…, Change icon…, Delete.
tile_menu 208
xdotool key Down Down Down Return
wait_for 10 dialog_open "Edit text" || fail "Edit text… did not open the editor"
sleep 0.5
xdotool type --delay 20 'Hello ${who}'
xdotool key Tab Return
wait_for 10 dialog_open "Define the values to fill in" || fail "the new name in the edited text did not open the wizard"
sleep 0.5
xdotool key Return
wait_for 10 dialog_closed "Define the values to fill in" || fail "the wizard did not finish"
wait_for 10 pins_hold 'Hello ${who}' || fail "the edited text was not saved"
pins_lack "hello from the journey" || fail "the old text is still in pins.dat"
echo "ok: Edit text… changed the pin's text, asked about its new value and saved it"

# Letter's menu: Unpin, Rename…, Edit text…, Variables…, Change icon…, Delete.  Making ${name}
# a Number drops the value remembered for it as free text.
pins_hold "Ann" || fail "the remembered value is missing before Variables…"
tile_menu 262
xdotool key Down Down Down Down Return
wait_for 10 dialog_open "Define the values to fill in" || fail "Variables… did not open the wizard"
sleep 0.5
xdotool key Down Return   # from Free text to Number, then Finish
wait_for 10 dialog_closed "Define the values to fill in" || fail "the wizard did not finish"
wait_for 10 pins_lack "Ann" || fail "changing the kind of \${name} was not saved"
echo "ok: Variables… changed the kind of the value and saved it"

cp "$here/../win/data/wide-200x100.png" "$work/landscape.png"
cp "$here/../win/data/tall.svg" "$work/portrait.svg"
choose_icon() {  # choose_icon TILE_TOP ITEMS_DOWN FILE
    local before
    before=$(pins_size)
    tile_menu $(($1 + 24))
    xdotool key $(printf 'Down %.0s' $(seq "$2")) Return
    wait_for 10 dialog_open "Choose an icon" || fail "Change icon… did not open the file dialog"
    sleep 1
    xdotool type --delay 10 "$(winepath -w "$3")"
    xdotool key Return
    wait_for 10 dialog_closed "Choose an icon" || fail "the file dialog did not close for $3"
    # A custom icon adds its length and 96 x 96 x 4 bytes to the pin's record.
    wait_for 10 bash -c "[ \$(stat -c %s '$appdata/pins.dat') -eq $((before + 4 + 36864)) ]" \
        || fail "the icon from $3 was not saved (pins.dat $before -> $(pins_size) bytes)"
}
hello_picture=$(tile_digest 184)
letter_picture=$(tile_digest 238)
# Both pins have a placeholder now: Unpin, Rename…, Edit text…, Variables…, Change icon…
choose_icon 184 5 "$work/landscape.png"
choose_icon 238 5 "$work/portrait.svg"
sleep 0.5
[ "$(tile_digest 184)" != "$hello_picture" ] || fail "the PNG icon is not shown on the tile"
[ "$(tile_digest 238)" != "$letter_picture" ] || fail "the SVG icon is not shown on the tile"
echo "ok: Change icon… took a PNG and an SVG through the file dialog, showed and saved them"

# Reset icon follows Change icon… once there is a custom icon.
with_icon=$(pins_size)
tile_menu 208
xdotool key Down Down Down Down Down Down Return
wait_for 10 bash -c "[ \$(stat -c %s '$appdata/pins.dat') -eq $((with_icon - 4 - 36864)) ]" || fail "Reset icon was not saved"
[ "$(tile_digest 184)" = "$hello_picture" ] || fail "Reset icon did not bring the animal back"
echo "ok: Reset icon brought the animal picture back and saved the pin"

tile_menu 208
xdotool key Down Return   # Unpin
wait_for 10 pins_lack 'Hello ${who}' || fail "Unpin did not remove the pin from pins.dat"
# Unpinned to the front of Recent: a Recent tile at (14, 104), Letter alone in Pinned at 184.
wait_for 5 pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "the unpinned clip is not in Recent"
echo "ok: Unpin moved the pin to the front of the Recent list and saved the pins"

# Journey 10: with 20 pins, Pin is offered greyed as "Pin (20 pins used)" and dragging a Recent
# clip onto the Pinned section changes nothing.
exit_korvane
python3 "$here/../../tools/demo_pins.py" "$appdata/pins.dat" 20
wine "$bin/Korvane.exe" >/dev/null 2>&1 &
korvane_pid=$!
wait_for 20 pixel_is $((strip + 38)) 184 "#D0D0D0" || fail "Korvane did not come back with 20 pins"
full=$(md5sum < "$appdata/pins.dat")
xdotool mousemove 850 350 click 1
xdotool key End shift+Home BackSpace
xdotool type --delay 20 "one too many"
xdotool key End shift+Home ctrl+c
wait_for 10 pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "no tile appeared for the twenty-first clip"
tile_menu 128
read -r menu_w menu_h menu_x menu_y < <(menu_geometry)
import -window root "$work/menu.png"
row_darkness() {  # the darkest grey level in menu row N of about 19 pixels
    convert "$work/menu.png" -crop "$((menu_w - 8))x15+$((menu_x + 4))+$((menu_y + 3 + 19 * $1))" \
        -colorspace gray -format '%[fx:int(minima * 255)]' info:
}
first=$(row_darkness 0) second=$(row_darkness 1)
[ "$first" -gt $((second + 40)) ] || fail "the first menu item is not greyed (darkest $first against $second)"
xdotool key Down Return Escape
xdotool mousemove 1000 700   # off the tile, whose frame changes under the mouse
sleep 1
[ "$(md5sum < "$appdata/pins.dat")" = "$full" ] || fail "the greyed Pin changed the pins"
pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "the greyed Pin moved the Recent clip"
drag $((strip + 38)) 128 400
sleep 1
[ "$(md5sum < "$appdata/pins.dat")" = "$full" ] || fail "dragging onto a full Pinned section changed the pins"
pixel_is $((strip + 38)) 104 "#D0D0D0" || fail "dragging onto a full Pinned section moved the Recent clip"
echo "ok: with 20 pins, Pin (20 pins used) is greyed and a drag from Recent changes nothing"

# Exit as a user would, so that the strip gives its screen edge back for the tests after these.
exit_korvane
