// What a crash leaves behind: a minidump in %LOCALAPPDATA%\Korvane\crashes, the newest five of
// them kept, and at the next start one message that says where it is.
#pragma once

namespace korvane {

// Installs the unhandled-exception filter, then, if the previous run crashed, says so once in
// the warning box.  Called at start-up before any window exists.
void start_crash_reporting();

}  // namespace korvane
