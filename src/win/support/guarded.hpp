// No exception may unwind through the system's frames: a window procedure or callback that
// throws (an allocation that fails while copying a huge block, say) drops that one message with
// the refusal beep, and the program keeps running.  The borrows of the application record and of
// the dialog records are scopes, so they are given back on the way out.
#pragma once

#include <windows.h>

#include "win/support/beep.hpp"

namespace korvane {

template <WNDPROC Procedure>
LRESULT CALLBACK guarded(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    try {
        return Procedure(window, message, wparam, lparam);
    } catch (...) {
        beep_refusal();
        // The default handling validates a paint, so a paint that failed is not asked for again
        // and again.
        return message == WM_PAINT ? DefWindowProcW(window, message, wparam, lparam) : 0;
    }
}

}  // namespace korvane
