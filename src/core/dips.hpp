// Device-independent pixels (1/96 inch) to pixels: dips * dpi / 96, truncated toward zero.
// Constants are converted one by one and then added, never summed first, so that every edge
// lands where every other piece of code that shares it puts it.
#pragma once

#include <cstdint>

namespace korvane {

constexpr int32_t scale(int32_t dips, uint32_t dpi) {
    return static_cast<int32_t>(int64_t(dips) * int64_t(dpi) / 96);
}

}  // namespace korvane
