#include "win/support/dpi.hpp"

#include <windows.h>

#include "core/layout.hpp"

namespace korvane {

unsigned system_dpi() { return GetDpiForSystem(); }

int scale(int dips) { return scale(dips, system_dpi()); }

}  // namespace korvane
