// The notification-area icon, drawn by code once at start-up.
#pragma once

#include "win/support/handles.hpp"

namespace korvane {

// A clipboard picture at the small-icon size; empty when its bitmap cannot be made.
OwnedIcon make_app_icon();

}  // namespace korvane
