#include "win/pictures/gdiplus_start.hpp"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <mutex>

namespace korvane {

void start_gdiplus() {
    static std::once_flag started;
    std::call_once(started, [] {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    });
}

}  // namespace korvane
