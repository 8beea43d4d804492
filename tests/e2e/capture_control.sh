#!/bin/bash
# Pause capture and the programs whose copies are never captured: a copy while paused and a copy
# in a listed program leave no tile; after Resume, and from a program the list does not name,
# copies are captured.  Both are kept in settings.ini across a restart.
. "$(dirname "$0")/journey.sh"

pins "hello from the journey"
start_target
start_korvane 0 1
# tray_item KEYS...: the notification icon's menu, and the keys that choose one of its items.
# From the bottom: Exit, then Pause capture (or Resume capture), then Settings.
tray_item() {
    xdotool mousemove "$icon_x" "$icon_y" click 3
    wait_for_menu "no menu appeared for the notification icon"
    menu_keys "$@"
}
icon_picture() { import -window root -crop "16x16+$((icon_x - 8))+$((icon_y - 8))" -depth 8 txt:- 2>/dev/null | md5sum; }
icon_is_not() { [ "$(icon_picture)" != "$1" ]; }
settings_are() { [ "$(cat "$appdata/settings.ini" 2>/dev/null)" = "$1" ]; }
DEFAULT_SETTINGS=$'edge=right\r\nminimized=false\r'
# no_tile_for TEXT RECENT: a copy of the text leaves Recent at RECENT tiles.
no_tile_for() {
    copy_in_target "$1"
    sync_korvane
    layout strip "$2" 1
    tile_is recent "$2" $BACKGROUND || fail "the copy of '$1' left a tile"
}

capturing_icon=$(icon_picture)
tray_item Up Up Return
wait_for $STEP_LIMIT settings_are $'edge=right\r\nminimized=false\r\ncapture=paused\r' \
    || fail "Pause capture left settings.ini as '$(cat -A "$appdata/settings.ini")'"
wait_for $STEP_LIMIT icon_is_not "$capturing_icon" || fail "the notification icon does not look paused"
no_tile_for "copied while paused" 0
exit_korvane
start_korvane 0 1
no_tile_for "copied while paused, after a restart" 0
tray_item Up Up Return
wait_for $STEP_LIMIT settings_are "$DEFAULT_SETTINGS" || fail "Resume capture left settings.ini as '$(cat -A "$appdata/settings.ini")'"
[ "$(stat -c %s "$appdata/settings.ini")" -eq 29 ] || fail "settings.ini is not the 29 bytes of the defaults"
[ "$(icon_picture)" = "$capturing_icon" ] || fail "the notification icon did not come back to its capturing look"
copy_to_recent "copied after Resume" 1 "a copy after Resume left no tile"
layout strip 1 1
tile_is recent 1 $BACKGROUND || fail "a copy made while paused was captured after all"

# The settings: Tab goes from the placement past the sign-in box and the shortcut's field and
# box to the programs' field; Shift+Tab back to the box, and Enter there confirms.
tray_item Up Up Up Return
dialog "Korvane settings"
keys_to "$dialog_xwindow" Tab Tab Tab Tab
type_to "$dialog_xwindow" "vault.exe"
keys_to "$dialog_xwindow" shift+Tab Return
wait_for_dialog_closed "Korvane settings"
wait_for $STEP_LIMIT settings_are $'edge=right\r\nminimized=false\r\nignore=vault.exe\r' \
    || fail "settings.ini holds '$(cat -A "$appdata/settings.ini")'"
copy_to_recent "copied in a program not listed" 1 "a copy in a program the list does not name left no tile"
tray_item Up Up Up Return
dialog "Korvane settings"
keys_to "$dialog_xwindow" Tab Tab Tab Tab ctrl+End Return
type_to "$dialog_xwindow" "Test_Target.exe"
keys_to "$dialog_xwindow" shift+Tab Return
wait_for_dialog_closed "Korvane settings"
wait_for $STEP_LIMIT settings_are $'edge=right\r\nminimized=false\r\nignore=vault.exe|Test_Target.exe\r' \
    || fail "settings.ini holds '$(cat -A "$appdata/settings.ini")'"
no_tile_for "copied in a listed program" 2

# The list survives a restart; emptied, the file is the defaults' again and copies are taken.
exit_korvane
start_korvane 0 1
no_tile_for "copied in a listed program, after a restart" 0
tray_item Up Up Up Return
dialog "Korvane settings"
keys_to "$dialog_xwindow" Tab Tab Tab Tab BackSpace shift+Tab Return
wait_for_dialog_closed "Korvane settings"
wait_for $STEP_LIMIT settings_are "$DEFAULT_SETTINGS" || fail "the emptied list left settings.ini as '$(cat -A "$appdata/settings.ini")'"
copy_to_recent "copied once the list is empty" 1 "a copy once the list was emptied left no tile"
echo "ok: nothing was captured while paused or from a listed program, across restarts; after Resume and from other programs copies were"
