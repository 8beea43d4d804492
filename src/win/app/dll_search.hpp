// Where Korvane's DLLs come from: the system folder only, never the folder the exe was copied
// to (a Downloads folder may hold a planted dwmapi.dll) nor the current folder.
#pragma once

namespace korvane {

// Limits every later DLL search of the process to System32, and makes the delay-load helper
// take the DLLs it binds on first use (GDI+, the file dialog, DWM, the accessibility DLLs) from
// there alone.  Called first at start-up, before anything loads a DLL.
void search_dlls_in_system_folder_only();

}  // namespace korvane
