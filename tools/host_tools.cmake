# Programs that run on the build machine: the animal renderer of scripts/render-animals, and the
# drawer of the program's icon, which the Windows build runs.  A cross build makes the latter
# alone, natively, through tools/host/CMakeLists.txt, which includes this file.
add_executable(make_exe_icon ${CMAKE_CURRENT_LIST_DIR}/make_exe_icon.cpp ${CMAKE_CURRENT_LIST_DIR}/ico_writer.cpp
               ${CMAKE_CURRENT_LIST_DIR}/../src/core/logo.cpp)
target_include_directories(make_exe_icon PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../src)

if(TARGET korvane_svg)
  add_executable(render_animals ${CMAKE_CURRENT_LIST_DIR}/render_animals.cpp)
  target_link_libraries(render_animals PRIVATE korvane_svg korvane_core)
endif()
