// The user's settings as the program keeps them: one record in the application record, changed
// and written to settings.ini in one step.
#pragma once

#include <functional>

#include "core/settings.hpp"

namespace korvane {

// Applies the change to the record's settings and writes them; a failed write is told once.
// False, with nothing changed or written, when the record is borrowed.  Never call it while
// holding the record: the warning runs a modal loop.
bool change_settings(const std::function<void(Settings&)>& change);

}  // namespace korvane
