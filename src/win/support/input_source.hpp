// Whose input a toolbar is handling: the user's keyboard and mouse (or the system's own input
// injection, through which on-screen keyboards and voice control type and click), or messages
// another program posted or sent to look like them, which must not paste anything.
#pragma once

#include <windows.h>

namespace korvane {

// Whether the input message being handled (a key or button message, with its wParam) came from
// the user.  Where the system says where input messages come from (Windows 8 and later), that
// answer decides; elsewhere the key or button must be in the state the message says it is in.
// A message sent from another thread never counts.
bool input_from_user(UINT message, WPARAM wparam);

}  // namespace korvane
