# Cross toolchain: Debian's mingw-w64 for x86_64 with posix threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_SYSTEM_VERSION 10.0)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_AR           ${_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       ${_triple}-gcc-ranlib-posix CACHE FILEPATH "")
set(KORVANE_OBJDUMP    ${_triple}-objdump)
set(KORVANE_NM         ${_triple}-nm)
set(KORVANE_DLLTOOL    ${_triple}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No mingw runtime DLLs: the exe imports only what Windows itself provides.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs under Wine, in the tests' own prefix.
find_program(WINE_EXECUTABLE NAMES wine REQUIRED)
find_program(WINESERVER_EXECUTABLE NAMES wineserver REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh)
