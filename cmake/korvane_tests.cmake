# Test registration.  Each test executable is one ctest entry: under Wine every process costs a
# fraction of a second, so many cases share a process.
#
# Windows tests run under cmake/wine-emulator.sh, in the prefix made by scripts/bootstrap, inside one Wine session (a
# wineserver and Wine's desktop kept alive by the wine_session fixture) for the whole run.

function(korvane_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "COMMAND" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session)
  endif()
endfunction()

function(korvane_gtest target)
  korvane_add_test(${target} COMMAND ${target} --gtest_brief=1 ${ARGN})
endfunction()
