#include "win/support/dpi.hpp"

namespace korvane {

unsigned window_dpi(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi != 0 ? dpi : GetDpiForSystem();
}

unsigned system_dpi() { return GetDpiForSystem(); }

}  // namespace korvane
