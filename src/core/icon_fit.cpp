#include "core/icon_fit.hpp"

#include <cmath>
#include <limits>

#include "core/text.hpp"

namespace korvane {
namespace {

// Rounds halves away from zero in single precision and saturates to 32 bits.
int32_t round_float(float value) {
    if (std::isnan(value)) return 0;
    const float rounded = std::round(value);
    if (rounded >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (rounded < -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

}  // namespace

Rect fit_icon(uint32_t width, uint32_t height) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float by_width = 96.0f / w;
    const float by_height = 96.0f / h;
    const float s = std::isnan(by_height) ? by_width : std::min(by_width, by_height);
    const auto at_least_one = [](int32_t n) { return n < 2 ? 1 : n; };
    return box(round_float((96.0f - w * s) * 0.5f), round_float((96.0f - h * s) * 0.5f),
               at_least_one(round_float(w * s)), at_least_one(round_float(h * s)));
}

bool is_svg_path(std::u16string_view path) {
    const std::u16string_view name = file_name_of(path);
    const size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string_view::npos || dot == 0) return false;
    const std::u16string_view extension = name.substr(dot + 1);
    if (extension.size() != 3) return false;
    const auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; };
    return lower(extension[0]) == u's' && lower(extension[1]) == u'v' && lower(extension[2]) == u'g';
}

}  // namespace korvane
