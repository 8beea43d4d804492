// The toolbar windows.
#pragma once

namespace korvane {

// Repaints every toolbar window of the program after a change of the clips.
void refresh_all_toolbars();

}  // namespace korvane
