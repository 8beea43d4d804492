#include "core/picture.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {

std::vector<uint8_t> scale_picture_pixels(std::span<const uint8_t> picture, int size) {
    if (size <= 0) return {};
    std::vector<uint8_t> out(size_t(size) * size_t(size) * 4, 0);
    if (picture.size() != PICTURE_BYTES) return out;
    const float ratio = 96.0f / static_cast<float>(size);
    // The sample positions of a row (or column) repeat for every pixel, so work them out once.
    std::vector<int> samples(size_t(size) * 4);
    for (int i = 0; i < size; ++i)
        for (int a = 0; a < 4; ++a) {
            const float position = ((static_cast<float>(a) + 0.5f) * 0.25f + static_cast<float>(i)) * ratio;
            samples[size_t(i) * 4 + size_t(a)] = std::min(static_cast<int>(position), 95);
        }
    for (int i = 0; i < size; ++i)
        for (int j = 0; j < size; ++j) {
            unsigned sums[4] = {0, 0, 0, 0};
            for (int a = 0; a < 4; ++a)
                for (int b = 0; b < 4; ++b) {
                    const size_t at = (size_t(samples[size_t(i) * 4 + size_t(a)]) * 96 + size_t(samples[size_t(j) * 4 + size_t(b)])) * 4;
                    for (int c = 0; c < 4; ++c) sums[c] += picture[at + size_t(c)];
                }
            uint8_t* pixel = &out[(size_t(i) * size_t(size) + size_t(j)) * 4];
            for (int c = 0; c < 4; ++c) pixel[c] = static_cast<uint8_t>(sums[c] >> 4);
        }
    return out;
}

int32_t round_saturated(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = std::round(value);
    if (rounded >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (rounded <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

Size thumbnail_size(int64_t width, int64_t height, int32_t area_width, int32_t area_height) {
    const double by_height = double(area_height) / double(height);
    const double by_width = double(area_width) / double(width);
    const double factor = std::min({std::isnan(by_height) ? by_width : by_height, by_width, 1.0});
    const auto fitted = [&](int64_t side) {
        const int32_t n = round_saturated(double(side) * factor);
        return n < 2 ? 1 : n;
    };
    return {fitted(width), fitted(height)};
}

}  // namespace korvane
