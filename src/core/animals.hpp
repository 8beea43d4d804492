// The thirty built-in animal pictures, compiled into the program from assets/animals.
#pragma once

#include <cstdint>
#include <span>

namespace korvane {

// The picture of index mod 30: 96 x 96 premultiplied BGRA, rows top to bottom.
std::span<const uint8_t> animal_picture(unsigned index);

}  // namespace korvane
