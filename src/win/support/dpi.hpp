// Sizes in device-independent pixels (1/96 inch) at the system DPI.
#pragma once

namespace korvane {

unsigned system_dpi();

// A size in DIPs as pixels at the system DPI at this moment.
int scale(int dips);

}  // namespace korvane
