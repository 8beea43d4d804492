# What every journey shares; sourced by each journey script with its arguments.
# A journey is a whole-program test under Wine that acts only through the screen: xdotool moves
# the mouse and types, ImageMagick reads pixels, the test target reports what its edit control
# holds, and tools/window_info.exe and tools/journey_layout.exe say which window is ready and
# where Korvane's own layout puts things.  Each journey starts from its own pins file with a
# fresh Korvane and a fresh test target, and every wait is for a state it can observe.
# usage: JOURNEY.sh BIN_DIR SCREENSHOT      (SCREENSHOT: where a failure leaves the screen)
set -eEuo pipefail
bin=$1 screenshot=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/env.sh"
. "$here/../wait_for.sh"
export WINEPREFIX=$KORVANE_TEST_PREFIX
appdata="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Korvane"
work=$(mktemp -d)
pasted="$work/pasted.txt"
korvane_pid='' target_pid='' strip_hwnd=''
rm -f "$screenshot"

# The colours the tests look for: the strip's background, a tile's frame, the frame of a
# tile's empty place while it is dragged, and the ${} badge of a template.
BACKGROUND="#F3F3F3" TILE_FRAME="#D0D0D0" DRAGGED_FROM="#B4B4B4" TEMPLATE_BADGE="#005FB8"
# Limits of the waits: generous, since the machine may be loaded; a journey that passes never
# waits this long.
START_LIMIT=60 STEP_LIMIT=30

fail() {
    trap - ERR
    echo "FAIL: $*" >&2
    echo "  Korvane's windows: main $(window_info show KorvaneMain || echo none); strip $(window_info show KorvaneDock || echo none)" >&2
    local log
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "  the end of $(basename "$log"):"; tail -n 20 "$log"; } >&2
    done
    mkdir -p "$(dirname "$screenshot")"
    import -window root "$screenshot" 2>/dev/null || true
    exit 1
}
# A command that fails outside a check is a failure too, with its place and the screen.
trap 'fail "line $LINENO of ${BASH_SOURCE[0]##*/}: $BASH_COMMAND"' ERR
window_info() { wine "$bin/window_info.exe" "$@" 2>/dev/null | tr -d '\r'; }
# answer NAME COMMAND...: runs the command and, when it succeeds, keeps what it printed in NAME,
# so that a wait and what it saw come from one look.
answer() {
    local -n into=$1
    local printed
    printed=$("${@:2}") || return 1
    into=$printed
}
# viewable XWINDOW: the X window is mapped and shown on the screen.
viewable() { [ "$1" != 0 ] && xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# What journey_layout.exe says on its error stream goes with a failure.
journey_layout() { wine "$bin/journey_layout.exe" "$@" 2>>"$work/journey_layout.log" | tr -d '\r'; }
# layout strip|popup RECENT PINNED: sets the coordinates journey_layout.exe prints, once the
# window is shown.
layout() {
    local assignments
    wait_for $STEP_LIMIT answer assignments journey_layout "$@" || fail "no shown window for the layout $*"
    eval "$assignments"
}
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
pixel_is_not() { ! pixel_is "$@"; }
# tile_is AREA INDEX COLOUR: the colour at the middle of the top edge of that tile's place.
tile_is() {
    local -n tops="${1}_top"
    pixel_is "$tile_x" "${tops[$2]}" "$3"
}
korvane_ended() { ! kill -0 "$korvane_pid" 2>/dev/null; }
strip_or_end() { shown KorvaneDock || korvane_ended; }
no_korvane() { ! window_info running; }
# Korvane has handled every message sent before and shows what it has drawn.
sync_korvane() { window_info sync KorvaneDock >/dev/null || fail "Korvane's strip does not answer"; }

# The target writes its text whenever it changes: no file yet is the empty edit control it starts with.
pasted_is() { [ "$(cat "$pasted" 2>/dev/null)" = "$1" ]; }
pins_hold() { [ -f "$appdata/pins.dat" ] && grep -qF -- "$1" "$appdata/pins.dat"; }
pins_lack() { ! grep -qF -- "$1" "$appdata/pins.dat"; }
pins_size() { stat -c %s "$appdata/pins.dat"; }
pins_size_is() { [ "$(pins_size)" -eq "$1" ]; }
offset_of() { grep -boaF -- "$1" "$appdata/pins.dat" | head -1 | cut -d: -f1; }
# pins_in_order FIRST SECOND: both texts are in pins.dat, FIRST before SECOND.
pins_in_order() {
    local first second
    first=$(offset_of "$1") second=$(offset_of "$2")
    [ -n "$first" ] && [ -n "$second" ] && [ "$first" -lt "$second" ]
}

# pins FIRST_ARGUMENT...: the pins file Korvane starts with, written by journey_pins.exe.
pins() {
    mkdir -p "$appdata"
    wine "$bin/journey_pins.exe" "$(winepath -w "$appdata/pins.dat")" "$@" >/dev/null 2>&1 || fail "journey_pins.exe $*"
}

# No window manager runs, so nothing moves the X focus to the window a user would be typing
# in: each step gives it to the window that is to get the keys, as a window manager would.
# start_in_background PID_NAME LOG COMMAND...: starts the command with its output, and Wine's
# error messages, in $work/LOG.log; sets PID_NAME to its process id, whose exit status is the
# command's.  The failure trap is not for it.
start_in_background() {
    local -n pid=$1
    (trap - ERR; WINEDEBUG=-all,err+all exec "${@:3}" >"$work/$2.log" 2>&1) &
    pid=$!
}

# keys_to XWINDOW KEY...
keys_to() { xdotool windowfocus --sync "$1" key --delay 20 "${@:2}"; }
type_to() { xdotool windowfocus --sync "$1" type --delay 20 "$2"; }

# The test target: its window, with the edit control whose text it writes to $pasted.
start_target() {
    start_in_background target_pid test_target wine "$bin/test_target.exe" "$(winepath -w "$pasted")"
    local shown
    wait_for $START_LIMIT answer shown window_info visible "Korvane test target" KorvaneTestTarget \
        || fail "the test target did not start"
    read -r _ target_xwindow <<<"$shown"
    wait_for $STEP_LIMIT viewable "$target_xwindow" || fail "the test target is not on the X screen"
    eval "$(xdotool getwindowgeometry --shell "$target_xwindow")"
    target_x=$((X + WIDTH / 2)) target_y=$((Y + HEIGHT / 2))
}
# A click in the target's edit control makes the target the window Korvane pastes into.
focus_target() {
    xdotool mousemove "$target_x" "$target_y" click 1
    wait_for $STEP_LIMIT target_has_focus || fail "the test target did not become the foreground window"
    xdotool windowfocus --sync "$target_xwindow"
}
target_has_focus() { [ "$(window_info foreground "Korvane test target" KorvaneTestTarget | cut -d' ' -f3)" = Edit ]; }
clear_target() {
    focus_target
    keys_to "$target_xwindow" End shift+Home BackSpace
    wait_for $STEP_LIMIT pasted_is "" || fail "the edit control was not emptied (it holds '$(cat "$pasted" 2>/dev/null)')"
}
# copy_in_target TEXT: types the text in the emptied edit control, then selects and copies it
# as a user would.
copy_in_target() {
    clear_target
    type_to "$target_xwindow" "$1"
    wait_for $STEP_LIMIT pasted_is "$1" || fail "typing '$1' in the test target gave '$(cat "$pasted" 2>/dev/null)'"
    keys_to "$target_xwindow" End shift+Home ctrl+c
}
# copy_to_recent TEXT PINNED FAILURE: copies the text in the test target and waits for its tile
# at the top of Recent, which held nothing, beside PINNED pins; the layout is then for that.
copy_to_recent() {
    copy_in_target "$1"
    layout strip 1 "$2"
    wait_for $STEP_LIMIT tile_is recent 0 $TILE_FRAME || fail "$3"
}
# paste_in_target: what ctrl+v in the emptied edit control puts there, into $pasted_text.  The
# x typed after it marks that the paste before it has been handled.
paste_in_target() {
    clear_target
    keys_to "$target_xwindow" ctrl+v x
    wait_for $STEP_LIMIT bash -c "[ \"\$(tail -c 1 '$pasted' 2>/dev/null)\" = x ]" || fail "ctrl+v and x did not reach the test target"
    pasted_text=$(cat "$pasted")
    pasted_text=${pasted_text%x}
}

# shown CLASS: Korvane's window of that class is shown; sets window_left, window_top,
# window_right, window_bottom and window_hwnd.
shown() {
    local found visible
    answer found window_info show "$1" || return 1
    read -r visible window_left window_top window_right window_bottom window_hwnd _ <<<"$found"
    [ "$visible" = 1 ]
}
tray_shown() { xdotool search --onlyvisible --name "Wine System Tray" >/dev/null 2>&1; }
# start_korvane RECENT PINNED: a fresh Korvane, once its strip is docked at the right edge and
# shows the given numbers of clips, with the layout for them.  The mouse waits over the test
# target, away from the tiles, whose frame changes under it.
start_korvane() {
    wait_for $STEP_LIMIT no_korvane || fail "another Korvane runs in the test prefix"
    xdotool mousemove "$target_x" "$target_y"
    start_in_background korvane_pid korvane wine "$bin/Korvane.exe"
    wait_for $START_LIMIT strip_or_end || fail "the docked strip did not appear"
    if korvane_ended; then
        local status=0
        wait "$korvane_pid" || status=$?
        korvane_pid=''
        fail "Korvane ended with code $status before its strip appeared"
    fi
    strip_hwnd=$window_hwnd
    sync_korvane
    local screen_width screen_height
    read -r screen_width screen_height <<<"$(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')"
    layout strip "$1" "$2"
    [ "$window_right" -eq "$screen_width" ] && [ $((window_right - window_left)) -eq "$strip_width" ] \
        && [ "$window_top" -eq 0 ] && [ "$window_bottom" -eq "$screen_height" ] \
        || fail "the strip is at $window_left,$window_top-$window_right,$window_bottom, not docked at the right edge"
    wait_for $STEP_LIMIT pixel_is "$tile_x" "$gap_y" $BACKGROUND || fail "the docked strip shows no background"
    wait_for $STEP_LIMIT tray_shown || fail "no notification area icon"
    local tray
    tray=$(xdotool search --onlyvisible --name "Wine System Tray" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    # Korvane's icon is the first square slot of Wine's tray window.
    icon_x=$((X + HEIGHT / 2)) icon_y=$((Y + HEIGHT / 2))
}

# The shortcut menu shown: sets menu_left, menu_top, menu_right, menu_bottom, menu_xwindow and
# menu_owner_xwindow, the X window of the foreground window that owns the menu.
menu_shown() { window_info menu >/dev/null; }
wait_for_menu() {
    local shown
    wait_for $STEP_LIMIT answer shown window_info menu || fail "$1"
    read -r menu_left menu_top menu_right menu_bottom menu_xwindow menu_owner_xwindow <<<"$shown"
    # Wine maps the menu after it has moved the X focus for the menu's owner.
    wait_for $STEP_LIMIT viewable "$menu_xwindow" || fail "$1 on the X screen"
}
menu_gone() { ! window_info visible "" "#32768" >/dev/null; }
# tile_menu AREA INDEX: the menu of that tile of the strip.
tile_menu() {
    local -n middles="${1}_middle"
    xdotool mousemove "$tile_x" "${middles[$2]}" click 3
    wait_for_menu "no menu appeared for $1 tile $2"
}
# menu_keys KEY...: keys to the menu shown; the menu has closed when this returns.  A menu's
# keys come through the X focus of its owner: Wine gives it to an owner such as the strip, and
# taking it away from there would cancel the menu.  An owner that has no X focus (the hidden
# main window of the notification icon's menu) leaves it to the menu's own window.
menu_keys() {
    wait_for $STEP_LIMIT menu_shown || fail "the menu was not ready for $*"
    [ "$(xdotool getwindowfocus -f)" = "$menu_owner_xwindow" ] || xdotool windowfocus --sync "$menu_xwindow"
    xdotool key --delay 20 "$@"
    wait_for $STEP_LIMIT menu_gone || fail "the menu stayed open after $*"
}

# dialog TITLE [CLASS]: waits for Korvane's dialog to take the keys; sets dialog_xwindow.
dialog() {
    local shown
    wait_for $STEP_LIMIT answer shown window_info foreground "$@" || fail "no dialog \"$1\" took the keys"
    read -r _ dialog_xwindow _ <<<"$shown"
    wait_for $STEP_LIMIT viewable "$dialog_xwindow" || fail "the dialog \"$1\" is not on the X screen"
}
dialog_closed() { ! window_info visible "$@" >/dev/null; }
wait_for_dialog_closed() { wait_for $STEP_LIMIT dialog_closed "$@" || fail "the dialog \"$1\" stayed open"; }

# exit_korvane: Exit from the notification icon's menu; exit_status is then Korvane's exit code.
exit_korvane() {
    xdotool mousemove "$icon_x" "$icon_y" click 3
    wait_for_menu "no menu appeared for the notification icon"
    menu_keys Up Return  # Exit is the last item
    wait_for $STEP_LIMIT korvane_ended || fail "Exit did not end Korvane"
    wait "$korvane_pid" && exit_status=0 || exit_status=$?
    korvane_pid=''
}

# drag X FROM TO FROM_TOP: presses at (X, FROM) on a tile whose top is FROM_TOP, moves to
# (X, TO) and releases there, once the tile's place shows that it is being dragged; returns
# once Korvane has handled the release.
drag() {
    local x=$1 from=$2 to=$3 from_top=$4
    xdotool mousemove "$x" "$from" mousedown 1
    xdotool mousemove "$x" $(((from + to) / 2)) mousemove "$x" "$to"
    wait_for $STEP_LIMIT pixel_is "$x" "$from_top" $DRAGGED_FROM || { xdotool mouseup 1; fail "no drag started at y $from"; }
    xdotool mouseup 1
    wait_for $STEP_LIMIT pixel_is_not "$x" "$from_top" $DRAGGED_FROM || fail "the drag from y $from did not end"
    sync_korvane
}

# tile_digest TOP: what the tile at strip y TOP shows, with the mouse away from it (a hovered
# tile has another frame).
tile_digest() {
    xdotool mousemove "$target_x" "$target_y"
    wait_for $STEP_LIMIT pixel_is "$tile_x" "$1" $TILE_FRAME || fail "the tile at y $1 does not show its plain frame"
    import -window root -crop "${tile_size}x${tile_size}+$tile_left+$1" rgb:- 2>/dev/null | md5sum
}

cleanup() {
    trap - ERR
    if [ -n "$korvane_pid" ]; then
        window_info close KorvaneMain >/dev/null || true
        if ! wait_for 20 korvane_ended; then
            kill "$korvane_pid" 2>/dev/null || true
            [ -n "$strip_hwnd" ] && window_info forget-appbar "$strip_hwnd" >/dev/null || true
        fi
        wait "$korvane_pid" 2>/dev/null || true
    fi
    if [ -n "$target_pid" ]; then
        window_info close KorvaneTestTarget >/dev/null || true
        wait_for 20 bash -c "! kill -0 $target_pid 2>/dev/null" || kill "$target_pid" 2>/dev/null || true
        wait "$target_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

rm -rf "$appdata"
