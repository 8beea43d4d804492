# Shared settings of the scripts: where the Wine prefixes live and how Wine is started.
# Sourced, not run.
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KORVANE_TEST_PREFIX=${KORVANE_TEST_PREFIX:-$repo_root/build/wine/test-prefix}
export KORVANE_RUN_PREFIX=${KORVANE_RUN_PREFIX:-$repo_root/build/wine/run-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
