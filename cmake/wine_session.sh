#!/bin/bash
# ctest fixture: starts or stops the Wine session that every Windows test of one run shares:
# a wineserver that outlives each test process and a keeper of Wine's desktop process.
# Their output is detached from ctest's pipes, or ctest would wait for them.
# usage: wine_session.sh start|stop KEEPER_EXE
set -u
. "$(dirname "$0")/../scripts/env.sh"
export WINEPREFIX=$KORVANE_TEST_PREFIX
action=$1 keeper=$2
case $action in
start)
    wineserver -p60 </dev/null >/dev/null 2>&1 || true
    wine "$keeper" start 1800 </dev/null >/dev/null 2>&1 &
    # Ready once the keeper's stop event exists, i.e. the desktop is up.
    for _ in $(seq 1 100); do
        if wine "$keeper" probe </dev/null >/dev/null 2>&1; then break; fi
        sleep 0.2
    done
    exit 0 ;;
stop)
    wine "$keeper" stop </dev/null >/dev/null 2>&1 || true
    exit 0 ;;
esac
exit 2
