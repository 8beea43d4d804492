#!/bin/bash
# Runs a Windows test program under Wine in the test prefix made by scripts/bootstrap.
# The emulator of the windows preset: ctest starts every test program through it.
. "$(dirname "$0")/../scripts/env.sh"
export WINEPREFIX=$KORVANE_TEST_PREFIX
exec wine "$@"
