#!/bin/bash
# A word made bold in Wine's WordPad keeps its formatting through Korvane: a click on its tile
# pastes it bold, Shift+click pastes it plain, and its pin still pastes it bold after a restart.
# The proof is WordPad's own: each pasted word is selected and copied there, and the "Rich Text
# Format" WordPad writes for it says whether it is bold.  Every paste lands on a new line right
# after a plain one, whose format a text pasted without its own takes: plain.
# WordPad with the pasted bold word is left in screens/journey_formatting_wordpad.png beside
# the failures' folder.
. "$(dirname "$0")/journey.sh"

WORD=boldword OTHER="not bold"
WORDPAD_TITLE="Document - Wine Wordpad"
wordpad_shot="$(dirname "$(dirname "$screenshot")")/screens/journey_formatting_wordpad.png"
wordpad_pid=''

# `wine wordpad` goes through ShellExecuteEx, which finds no wordpad.exe in Wine 8's search path.
# WordPad opens where it last closed: this place is clear of the strip and of Wine's tray window
# at the top left.
start_wordpad() {
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Applets\Wordpad\Options' /v FrameRect \
        /t REG_BINARY /d 000000003c00000080020000a4010000 /f >/dev/null 2>&1 || fail "WordPad's place could not be set"
    start_in_background wordpad_pid wordpad wine "$WINEPREFIX/drive_c/Program Files/Windows NT/Accessories/wordpad.exe"
    local shown
    wait_for $START_LIMIT answer shown window_info visible "$WORDPAD_TITLE" || fail "WordPad did not start"
    read -r _ wordpad_xwindow <<<"$shown"
    wait_for $STEP_LIMIT viewable "$wordpad_xwindow" || fail "WordPad is not on the X screen"
    eval "$(xdotool getwindowgeometry --shell "$wordpad_xwindow")"
    wordpad_left=$X wordpad_top=$Y wordpad_width=$WIDTH wordpad_height=$HEIGHT
    # Below the menu, the two tool bars and the ruler, above the status bar: the document.  The
    # mouse waits there while Korvane starts, away from the tiles.
    target_x=$((X + WIDTH / 2)) target_y=$((Y + HEIGHT * 2 / 3))
}
wordpad_has_focus() { [ "$(window_info foreground "$WORDPAD_TITLE" | cut -d' ' -f3)" = RichEdit20W ]; }
# A click in the document makes WordPad the window Korvane pastes into.
focus_wordpad() {
    xdotool mousemove "$target_x" "$target_y" click 1
    wait_for $STEP_LIMIT wordpad_has_focus || fail "WordPad's document did not take the keys"
    xdotool windowfocus --sync "$wordpad_xwindow"
}
# The document's lines, and those of WordPad's other controls, which hold none of these words.
lines_of() { window_info texts "$WORDPAD_TITLE" | grep -cxF -- "$1" || true; }
lines_are() { [ "$(lines_of "$1")" -eq "$2" ]; }
# A new empty line after the plain one, the second, where the caret then waits.
line_after_plain() { keys_to "$wordpad_xwindow" ctrl+Home Down End Return; }

# Korvane writes the clipboard as its hidden main window; WordPad's copies come from OLE's
# clipboard window, and Korvane's own RTF for the word holds the same bytes as WordPad's.
copied_by_wordpad() {
    local seen
    answer seen window_info clipboard "Rich Text Format" || return 1
    [ "${seen%%$'\n'*}" != KorvaneMain ] || return 1
    rtf=${seen#*$'\n'}
    [[ $rtf == *"$1"* ]]
}
# rtf_of_line TEXT: selects the line the caret ends, which holds TEXT, copies it in WordPad and
# sets rtf to what WordPad wrote for it.
rtf_of_line() {
    keys_to "$wordpad_xwindow" shift+Home ctrl+c
    wait_for $STEP_LIMIT copied_by_wordpad "$1" || fail "WordPad's copy of '$1' has no Rich Text Format with it"
}
# bold TEXT: in $rtf, the last character format control word ahead of TEXT turns bold on (\b or
# \b1) and none has turned it off since (\b0, \plain).  Wine's RichEdit writes a run's format as
# control words right before its text, and the header before them names no such word.
bold() {
    local before=${rtf%%"$1"*} last
    last=$(grep -oE '\\(b[0-9]*|plain)([^a-zA-Z0-9]|$)' <<<"$before" | tail -n 1 | grep -oE '^\\[a-z]+[0-9]*' || true)
    [ "$last" = '\b' ] || [ "$last" = '\b1' ]
}
# paste_from AREA INDEX [MODIFIER]: a click (with the key held) on that tile, on a new line after
# the plain one; returns once the word is in the document once more and the line is copied.
paste_from() {
    local -n middles="${1}_middle"
    local before
    before=$(lines_of "$WORD")
    focus_wordpad
    line_after_plain
    # Korvane's Ctrl+V may reach WordPad while Shift is still held: Ctrl+Shift+V pastes there too.
    if [ -n "${3:-}" ]; then
        xdotool keydown "$3" mousemove "$tile_x" "${middles[$2]}" click 1 keyup "$3"
    else
        xdotool mousemove "$tile_x" "${middles[$2]}" click 1
    fi
    wait_for $STEP_LIMIT lines_are "$WORD" $((before + 1)) || fail "the click on $1 tile $2 ${3:+with $3 }did not paste '$WORD' into WordPad"
    xdotool mousemove "$target_x" "$target_y"
    xdotool windowfocus --sync "$wordpad_xwindow"
    rtf_of_line "$WORD"
}

wordpad_ended() { ! kill -0 "$wordpad_pid" 2>/dev/null; }
# No to "Save changes?", asked when the document was changed.
ended_or_not_saved() { wordpad_ended || window_info press "Wine Wordpad" 7 >/dev/null; }
close_wordpad() {
    [ -n "$wordpad_pid" ] || return 0
    if ! wordpad_ended && viewable "${wordpad_xwindow:-0}"; then
        xdotool windowfocus --sync "$wordpad_xwindow" key alt+F4 2>/dev/null || true
        wait_for 10 ended_or_not_saved || true
    fi
    wait_for 10 wordpad_ended || kill "$wordpad_pid" 2>/dev/null || true
    wait "$wordpad_pid" 2>/dev/null || true
}
trap 'close_wordpad; cleanup' EXIT

start_wordpad
start_korvane 0 0
focus_wordpad
type_to "$wordpad_xwindow" "$WORD"
keys_to "$wordpad_xwindow" shift+Home ctrl+b ctrl+c
layout strip 1 0
wait_for $STEP_LIMIT tile_is recent 0 $TILE_FRAME || fail "no tile appeared for the bold word copied in WordPad"
echo "ok: the word made bold and copied in WordPad became a tile"

# Bold off for the line typed after it, then another copy: the bold word is no longer on the
# clipboard, and WordPad's RTF for a plain line shows what "not bold" looks like to the check.
keys_to "$wordpad_xwindow" End Return ctrl+b
type_to "$wordpad_xwindow" "$OTHER"
rtf_of_line "$OTHER"
! bold "$OTHER" || fail "the line typed after Ctrl+B turned bold off is bold in WordPad's copy: $rtf"
layout strip 2 0
wait_for $STEP_LIMIT tile_is recent 1 $TILE_FRAME || fail "no tile appeared for the plain line copied in WordPad"
echo "ok: a plain line copied after it is the clipboard's content and the first tile"

# The copy that checks the paste puts the word back at the top of Recent, with WordPad's RTF
# for what was pasted; its tile's picture shows when Korvane has taken it.
word_picture=$(tile_digest "${recent_top[1]}")
paste_from recent 1
bold "$WORD" || fail "the word pasted from its tile is not bold in WordPad's copy: $rtf"
keys_to "$wordpad_xwindow" End  # the word shown as it is, not as a selection
mkdir -p "$(dirname "$wordpad_shot")"
import -window root -crop "${wordpad_width}x${wordpad_height}+$wordpad_left+$wordpad_top" "$wordpad_shot"
echo "ok: a click on the tile pasted the word bold into WordPad"
shows_word() { [ "$(tile_digest "${recent_top[0]}")" = "$word_picture" ]; }
wait_for $STEP_LIMIT shows_word || fail "WordPad's copy of the pasted word did not come back to the top of Recent"

# Pinned before the plain paste: WordPad's copy of the word pasted plain is then the pin's own
# text, which leaves the pin as it was, where a Recent clip would take that copy's formatting.
drag "$tile_x" "${recent_middle[0]}" "${pinned_drop[0]}" "${recent_top[0]}"
wait_for $STEP_LIMIT pins_hold "$WORD" || fail "dragging the word's tile to Pinned did not save it"
pins_hold "Wine Riched20" || fail "the pin was saved without WordPad's Rich Text Format"
layout strip 1 1
wait_for $STEP_LIMIT tile_is pinned 0 $TILE_FRAME || fail "the pinned word has no tile"
paste_from pinned 0 shift
! bold "$WORD" || fail "the word pasted with Shift+click is bold in WordPad's copy: $rtf"
echo "ok: Shift+click on the tile pasted the word plain"

exit_korvane
[ "$exit_status" -eq 0 ] || fail "Korvane exited with $exit_status"
start_korvane 0 1
wait_for $STEP_LIMIT tile_is pinned 0 $TILE_FRAME || fail "the pin did not come back after a restart"
paste_from pinned 0
bold "$WORD" || fail "the word pasted from its pin after a restart is not bold in WordPad's copy: $rtf"
echo "ok: after a restart the pin still pastes the word bold"
