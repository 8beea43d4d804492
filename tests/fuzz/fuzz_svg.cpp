// SVG documents on arbitrary bytes: render_svg gives a premultiplied 96 x 96 picture or a
// reason, and no document crashes the host layer, leaks, or runs unbounded.  Inputs are
// capped at 16 KiB, the size of a hand-drawn icon: the time of one conversion grows with the
// document, and the fuzzer needs many of them a second.  For the same reason conversions stop
// at 250 ms instead of the program's 3 s: slow documents then cost little, and the stop (a trap
// out of the library, its restart) is taken often, under the sanitizers.
#include <cstdlib>

#include "svg/svg_render.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    constexpr size_t MAX_INPUT = 16384;
    static const bool limited = [] {
        set_svg_limits({SVG_MAX_FILE_BYTES, SVG_MEMORY_LIMIT, std::chrono::milliseconds(250)});
        return true;
    }();
    if (size > MAX_INPUT || !limited) return -1;
    const SvgResult result = render_svg({data, size});
    if (!result.picture) {
        if (result.error.empty()) std::abort();
        if (result.too_long && result.error != "the conversion took longer than 250 ms") std::abort();
        return 0;
    }
    if (result.too_long) std::abort();
    const std::vector<uint8_t>& picture = *result.picture;
    if (picture.size() != PICTURE_BYTES) std::abort();
    for (size_t i = 0; i < picture.size(); i += 4)
        for (size_t c = 0; c < 3; ++c)
            if (picture[i + c] > picture[i + 3]) std::abort();
    return 0;
}
