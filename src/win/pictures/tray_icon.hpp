// The notification-area icon, drawn by code once at start-up.
#pragma once

#include "core/logo.hpp"
#include "win/support/handles.hpp"

namespace korvane {

// A clipboard picture at the small-icon size, in the look for capturing or paused; empty when its
// bitmap cannot be made.
OwnedIcon make_tray_icon(LogoLook look = LogoLook::Capturing);

}  // namespace korvane
