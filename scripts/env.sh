# Shared settings of the scripts: where the Wine prefixes live and how Wine is started.
# Sourced, not run.
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KORVANE_TEST_PREFIX=${KORVANE_TEST_PREFIX:-$repo_root/build/wine/test-prefix}
export KORVANE_RUN_PREFIX=${KORVANE_RUN_PREFIX:-$repo_root/build/wine/run-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
# Compiles are cached inside the build folder (or where CCACHE_DIR already points), so the release
# tree that scripts/package builds reuses the objects of the windows tree: the same flags, the
# crash switch's one file apart.  Each tree maps its own folder out of the objects' file names
# (-ffile-prefix-map), which makes the two command lines differ though the objects are the same,
# so that option is left out of the cache's key.  A fresh clone starts from an empty cache.  A
# convenience: without ccache nothing changes.
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_DIR=${CCACHE_DIR:-$repo_root/build/ccache} CCACHE_BASEDIR=$repo_root CCACHE_NOHASHDIR=true
    export CCACHE_IGNOREOPTIONS='-ffile-prefix-map=*'
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
