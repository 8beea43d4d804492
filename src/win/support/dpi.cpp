#include "win/support/dpi.hpp"

#include <windows.h>

namespace korvane {

unsigned system_dpi() { return GetDpiForSystem(); }

}  // namespace korvane
