// The program's UTF-8 text as the UTF-16 the platform calls take, and back.
#pragma once

#include <string>
#include <string_view>

#include "core/text.hpp"

namespace korvane {

inline std::wstring to_wide(std::string_view utf8) {
    const std::u16string units = utf8_to_utf16(utf8);
    return std::wstring(units.begin(), units.end());
}

inline std::string from_wide(std::wstring_view wide) {
    return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

inline std::wstring to_wide(std::u16string_view units) { return std::wstring(units.begin(), units.end()); }

inline std::u16string to_units(std::wstring_view wide) { return std::u16string(wide.begin(), wide.end()); }

}  // namespace korvane
