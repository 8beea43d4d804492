// The one sound of the program: a refused action (a full pin list, a clip that has vanished, a
// paste that cannot be made) is answered with the exclamation beep and nothing else.
#pragma once

#include <cstdint>

namespace korvane {

void beep_refusal();

// How many refusals this process has sounded, so tests can hear them without a speaker.
uint64_t refusals_sounded();

}  // namespace korvane
