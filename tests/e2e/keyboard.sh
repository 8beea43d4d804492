#!/bin/bash
# The keyboard alone, the mouse never moves: Korvane's shortcut, pressed in another program,
# opens the popup with the focus on the newest clip; the arrows move it and Enter pastes into
# that program; typed letters filter the clips; a template pin asks for its value; a digit
# pastes that Recent clip; Delete asks before it deletes a pin; Shift+F10 opens the focused
# tile's menu; Escape closes, and so does Alt+F4, after which the shortcut opens the popup
# again.  The settings, reached by Tab in the popup, change the shortcut, which is kept across a
# restart, and one that another program holds is refused with a message that says which
# shortcut stays.
. "$(dirname "$0")/journey.sh"

# The test target keeps the foreground without a click: it is in front when it starts, and
# every step ends with Korvane pasting into it or giving the keyboard back to it.  Only the X
# focus is moved to it, as a window manager would for the window in front.
focus_target() {
    wait_for $STEP_LIMIT target_has_focus || fail "the test target is not the foreground window"
    xdotool windowfocus --sync "$target_xwindow"
}
popup_shown() { shown KorvaneToolbar; }
popup_hidden() { ! shown KorvaneToolbar; }
# open_popup KEYS: presses the shortcut in the emptied test target and waits for the popup.
open_popup() {
    echo "the shortcut $1, for the step at line ${BASH_LINENO[0]}"
    clear_target
    keys_to "$target_xwindow" "$1"
    wait_for $STEP_LIMIT popup_shown || fail "$1 in the test target did not open the popup"
    sync_popup
}
sync_popup() { window_info sync KorvaneToolbar >/dev/null || fail "Korvane's popup does not answer"; }
# popup_keys KEY...: keys to the popup, once its X window has the X focus, as a window manager
# would give it to the window in front.
popup_keys() {
    local shown popup_xwindow
    answer shown window_info visible Korvane KorvaneToolbar || fail "the popup is not shown for the keys $*"
    read -r _ popup_xwindow <<<"$shown"
    xdotool windowfocus --sync "$popup_xwindow" key --delay 20 "$@"
}
# paste_by_keys TEXT WHAT KEY...: the keys close the popup and paste TEXT into the target.
paste_by_keys() {
    local text=$1 what=$2
    popup_keys "${@:3}"
    wait_for $STEP_LIMIT pasted_is "$text" || fail "$what pasted '$(cat "$pasted" 2>/dev/null)', not '$text'"
    wait_for $STEP_LIMIT popup_hidden || fail "the popup stayed open after $what"
}

pins --name Letter 'Dear ${name},'
start_target
start_korvane 0 1
copy_to_recent "first text" 1 "no tile appeared for the first copy"
copy_in_target "second text"
layout strip 2 1
wait_for $STEP_LIMIT tile_is recent 1 $TILE_FRAME || fail "no tile appeared for the second copy"

# Recent shows the newest first: the focus starts on "second text", Right reaches "first text".
open_popup super+alt+v
paste_by_keys "first text" "Right and Enter" Right Return

open_popup super+alt+v
popup_keys f i r s t
sync_popup
paste_by_keys "first text" "typing 'first' and Enter" Return

open_popup super+alt+v
paste_by_keys "second text" "the digit 1" 1

# Down from the Recent row reaches the template pin: Enter asks for its value.
open_popup super+alt+v
popup_keys Down Return
dialog "Fill in: Letter"
type_to "$dialog_xwindow" "Ann"
keys_to "$dialog_xwindow" Return
wait_for $STEP_LIMIT pasted_is "Dear Ann," || fail "the filled-in template was not pasted (edit holds '$(cat "$pasted" 2>/dev/null)')"

# Delete on the pin hides the popup and asks first; No, the default, keeps it; Yes deletes it.
open_popup super+alt+v
popup_keys Down Delete
dialog Korvane "#32770"
window_info texts Korvane "#32770" | grep -qxF "Delete this pinned clip?" || fail "Delete did not ask about the pin"
keys_to "$dialog_xwindow" Return
wait_for_dialog_closed Korvane "#32770"
sync_korvane
pins_hold 'Dear ${name},' || fail "answering No deleted the pin"
open_popup super+alt+v
popup_keys Down Delete
dialog Korvane "#32770"
keys_to "$dialog_xwindow" y
wait_for_dialog_closed Korvane "#32770"
wait_for $STEP_LIMIT pins_lack 'Dear ${name},' || fail "answering Yes left the pin"
popup_hidden || fail "the popup came back after the deletion"

# Shift+F10 opens the focused tile's menu; Escape closes the menu, then the popup, pasting
# nothing.  This comes after the steps that open the popup by the shortcut: under Wine the
# first shortcut after a menu closed this way shows the popup without making it the
# foreground window, and the popup closes again at once.
open_popup super+alt+v
popup_keys shift+F10
wait_for_menu "Shift+F10 opened no menu for the focused tile"
menu_keys Escape
sync_popup
popup_keys Escape
wait_for $STEP_LIMIT popup_hidden || fail "Escape did not close the popup"
pasted_is "" || fail "Escape pasted '$(cat "$pasted")'"

# The settings: with no pin left, Tab in the popup goes from Recent to the buttons, the first of
# which is the settings button.  Tab twice in the dialog reaches the shortcut field, Tab again
# the Windows-key box, which is ticked for Win+Alt+V; Enter confirms.
open_popup super+alt+v
popup_keys Tab Return
dialog "Korvane settings"
keys_to "$dialog_xwindow" Tab Tab ctrl+shift+k Tab space Return
wait_for_dialog_closed "Korvane settings"
wait_for $STEP_LIMIT bash -c "[ \"\$(cat '$appdata/settings.ini' 2>/dev/null)\" = \$'edge=right\r\nminimized=false\r\nshortcut=Ctrl+Shift+K\r' ]" \
    || fail "settings.ini holds '$(cat -A "$appdata/settings.ini" 2>/dev/null)'"

exit_korvane
[ "$exit_status" -eq 0 ] || fail "Korvane exited with $exit_status"
start_korvane 0 0
open_popup ctrl+shift+k
popup_keys Escape
wait_for $STEP_LIMIT popup_hidden || fail "Escape did not close the popup opened by Ctrl+Shift+K"

# Another program takes Ctrl+Alt+J once it is in the field (a shortcut that is already held
# never reaches the field): confirming it is refused, and Ctrl+Shift+K stays.
# With no clip at all the popup's first item, where the focus starts, is the settings button.
open_popup ctrl+shift+k
popup_keys Return
dialog "Korvane settings"
keys_to "$dialog_xwindow" Tab Tab ctrl+alt+j
window_info take-hotkey 3 0x4A || fail "the test target could not take Ctrl+Alt+J"
keys_to "$dialog_xwindow" Return
dialog Korvane "#32770"
window_info texts Korvane "#32770" \
    | grep -qxF "The shortcut Ctrl+Alt+J is already used by another program, so Korvane keeps Ctrl+Shift+K to open its popup." \
    || fail "no message said that Ctrl+Alt+J is taken"
keys_to "$dialog_xwindow" Return
wait_for_dialog_closed Korvane "#32770"
grep -qF "shortcut=Ctrl+Shift+K" "$appdata/settings.ini" || fail "the refused shortcut changed settings.ini"
open_popup ctrl+shift+k
popup_keys Escape
wait_for $STEP_LIMIT popup_hidden || fail "Escape did not close the popup after the refusal"

# Alt+F4 closes the popup as Escape does; the shortcut opens it again.
open_popup ctrl+shift+k
popup_keys alt+F4
wait_for $STEP_LIMIT popup_hidden || fail "Alt+F4 did not close the popup"
open_popup ctrl+shift+k
popup_keys Escape
wait_for $STEP_LIMIT popup_hidden || fail "Escape did not close the popup opened again after Alt+F4"
echo "ok: the shortcut, arrows, typing, digits, Shift+F10, Delete and Escape did what they say; Ctrl+Shift+K was kept across a restart and Ctrl+Alt+J, held elsewhere, was refused"
exit_korvane
