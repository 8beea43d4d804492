# Programs the repository's scripts run on the build machine.
add_executable(render_animals ${CMAKE_CURRENT_LIST_DIR}/render_animals.cpp)
target_link_libraries(render_animals PRIVATE korvane_svg korvane_core)
