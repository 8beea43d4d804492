# cmake -DFILE=<path> -DSHA256=<hex> -P check_sha256.cmake
# Refuses (and removes) a module that is not the exact build the host layer was written for.
file(SHA256 "${FILE}" actual)
if(NOT actual STREQUAL SHA256)
  file(REMOVE "${FILE}")
  message(FATAL_ERROR "${FILE} has SHA-256 ${actual}, expected ${SHA256}")
endif()
