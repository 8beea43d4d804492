// The toolbars as screen readers see them: each window's client area answers WM_GETOBJECT with
// an IAccessible whose children are the items of accessible_items (the shown tiles, then the
// buttons), known by their position from 1.  The object keeps only its window: every call reads
// the application record as it is then, so a reader that holds on to it hears the toolbar of the
// moment.
#pragma once

#include <windows.h>

namespace korvane {

// WM_GETOBJECT: the client object for OBJID_CLIENT, the system's objects for everything else.
// The first request makes the thread a COM apartment, through which readers in other processes
// reach the objects; start-up does not wait for that (tens of milliseconds under Wine).
LRESULT on_get_object(HWND window, WPARAM flags, LPARAM object_id);

// Leaves the apartment the first request entered, at exit.
void leave_accessibility();

// WM_ACCESSIBLE_ACTION, the wake-up a default action posts: runs the action the toolbar keeps
// for it, as a click on the item would, if the toolbar still shows it.  The message itself
// carries nothing, so one that another program posts finds nothing to run.
LRESULT on_accessible_action(HWND window);

}  // namespace korvane
