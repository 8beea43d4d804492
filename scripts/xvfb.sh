# Starts a private Xvfb screen of 1920 x 1080 at 24 bits and points DISPLAY at it, with
# tools/wm_state.py keeping its windows' WM_STATE as a window manager would (without it Wine
# waits two seconds at every dialog's close).
# Sourced by the scripts; start_xvfb sets XVFB_PID and DISPLAY, stop_xvfb ends it.
# The server picks a free display itself and names it once it accepts connections, so two
# runs starting at the same moment cannot pick the same one.
start_xvfb() {
    local dir display=
    dir=$(mktemp -d)
    mkfifo "$dir/display"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    # The read ends at the number, or at end of file if the server exits first.
    read -r -t 60 display <"$dir/display" || true
    rm -rf "$dir"
    if [ -z "$display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
        echo "Xvfb did not start" >&2
        stop_xvfb
        return 1
    fi
    export DISPLAY=":$display"
    xdpyinfo >/dev/null 2>&1 || { echo "Xvfb on $DISPLAY does not answer" >&2; stop_xvfb; return 1; }
    python3 "$(dirname "${BASH_SOURCE[0]}")/../tools/wm_state.py" </dev/null >/dev/null 2>&1 &
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
