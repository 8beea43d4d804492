#!/bin/bash
# Runs a Windows test program at another system DPI: in a prefix of that DPI (made by
# scripts/wine-prefix on first use), with its own wineserver and its own X screen, so that the
# shared Wine session of the other tests is left alone.
# usage: wine_dpi_run.sh DPI EXE [ARGUMENTS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
. "$here/../scripts/xvfb.sh"
dpi=$1 exe=$2
shift 2
export WINEPREFIX=$repo_root/build/wine/test-prefix-$dpi
"$repo_root/scripts/wine-prefix" "$WINEPREFIX" "$dpi" >/dev/null || exit 1
start_xvfb || exit 1
trap 'wineserver -k 2>/dev/null; stop_xvfb' EXIT
KORVANE_TEST_DPI=$dpi wine "$exe" "$@"
