#!/bin/bash
# ctest fixture: starts or stops the Wine session that every Windows test of one run shares:
# a wineserver that outlives each test process and a keeper of Wine's desktop process.
# Their output is detached from ctest's pipes, or ctest would wait for them.
# start fails unless the keeper reports the desktop up within 50 seconds.
# usage: wine_session.sh start|stop KEEPER_EXE
set -u
. "$(dirname "$0")/../scripts/env.sh"
export WINEPREFIX=$KORVANE_TEST_PREFIX
action=$1 keeper=$2
case $action in
start)
    # A server left in the prefix by another run serves that run's display (or none at all), so
    # this run starts from a server of its own.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wineserver -p60 </dev/null >/dev/null 2>&1 || true
    # The tests redirect the user's folders while they run; one killed meanwhile leaves them
    # redirected, so each session starts from the prefix's own.
    folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
    wine reg add "$folders" /v AppData /t REG_EXPAND_SZ /d '%USERPROFILE%\AppData\Roaming' /f </dev/null >/dev/null 2>&1
    wine reg delete "$folders" /v 'Local AppData' /f </dev/null >/dev/null 2>&1 || true
    wine "$keeper" start 1800 </dev/null >/dev/null 2>&1 &
    keeper_pid=$!
    end=$((SECONDS + 50))
    until wine "$keeper" probe </dev/null >/dev/null 2>&1; do
        if ! kill -0 "$keeper_pid" 2>/dev/null; then
            wait "$keeper_pid"
            echo "wine_session: the desktop keeper ended with code $? before the desktop came up" >&2
            exit 1
        fi
        if [ $SECONDS -ge $end ]; then
            echo "wine_session: the desktop did not come up within 50 s" >&2
            exit 1
        fi
        sleep 0.2
    done
    exit 0 ;;
stop)
    wine "$keeper" stop </dev/null >/dev/null 2>&1 || true
    exit 0 ;;
esac
exit 2
