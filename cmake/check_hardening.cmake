# Fails unless the exe was built with stack canaries and checked memory functions: their
# handlers, linked statically from libssp, are in its symbol table.
cmake_policy(VERSION 3.25)
# usage: cmake -DNM=... -DEXE=... -P check_hardening.cmake
execute_process(COMMAND ${NM} ${EXE} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${EXE}")
endif()
foreach(handler __stack_chk_fail __chk_fail)
  if(NOT symbols MATCHES " T ${handler}\n")
    message(FATAL_ERROR "${EXE} has no ${handler}: it was built without -fstack-protector-strong and _FORTIFY_SOURCE")
  endif()
endforeach()
