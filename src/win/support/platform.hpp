// What the program needs to know of the system under it.
#pragma once

namespace korvane {

// Wine lacks some of the shell's behaviour (foreground events above all); the program then
// makes up for it without changing what it does on Windows.
bool running_on_wine();

}  // namespace korvane
