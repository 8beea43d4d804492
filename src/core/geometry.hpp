// The one set of geometry records of the program: points, sizes and rectangles in pixels.
// Rectangles are half-open: the right and bottom edges are outside.
#pragma once

#include <cstdint>

namespace korvane {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool contains(int32_t x, int32_t y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool operator==(const Rect&) const = default;
};

// The rectangle of the given size with its top-left corner at (x, y).
constexpr Rect box(int32_t x, int32_t y, int32_t width, int32_t height) { return {x, y, x + width, y + height}; }

}  // namespace korvane
