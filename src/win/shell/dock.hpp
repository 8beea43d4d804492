// The docked strip as an application desktop toolbar at the left or right screen edge.
#pragma once

#include <windows.h>

namespace korvane {

void unregister_appbar(HWND window);
void place_appbar();
// After a shell restart: the bar registered and placed anew, unless minimized.
void renew_appbar();
void show_docked_toolbar();
void minimize_toolbar();
void set_dock_edge(bool right);

LRESULT CALLBACK docked_toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace korvane
