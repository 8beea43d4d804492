#include "win/app/warning.hpp"

#include <windows.h>

#include "win/support/wide.hpp"

namespace korvane {

void show_warning(std::string_view text) {
    MessageBoxW(nullptr, to_wide(text).c_str(), L"Korvane", MB_ICONWARNING);
}

}  // namespace korvane
