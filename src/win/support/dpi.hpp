// The DPI a window is laid out at.  It is read once, where a window is created, and handed on
// as a value to everything that lays out or draws that window.
#pragma once

namespace korvane {

// The DPI a new window is laid out at: the system's, which every monitor has for a program
// aware of the system DPI only.
unsigned system_dpi();

}  // namespace korvane
