// The settings dialog: where the toolbar goes, the popup's shortcut, whether Korvane starts at
// sign-in, and the version with links to the licences.
#pragma once

namespace korvane {

// Runs the dialog and applies what was confirmed.
void run_settings_dialog();

}  // namespace korvane
