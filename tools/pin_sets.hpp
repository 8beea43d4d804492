// The two sets of pins that the killed-save test has saved in turn: different in number, kind
// and size, so a file holding parts of both could never pass for either.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/clip.hpp"

namespace korvane::pin_sets {

inline std::vector<Clip> set_a() {
    std::vector<Clip> pins(3);
    for (size_t i = 0; i < pins.size(); ++i) {
        pins[i].content = ClipContent::make_text("set A pin " + std::to_string(i));
        pins[i].name = "A" + std::to_string(i);
        pins[i].animal_index = unsigned(i);
    }
    return pins;
}

// Five pins, one of them a picture of about a megabyte, so that writing the file takes long
// enough for some kills to land in the middle of it; the first text and the picture have
// companions, which the file keeps after its records.
inline std::vector<Clip> set_b() {
    std::vector<Clip> pins(5);
    for (size_t i = 0; i < 4; ++i) {
        pins[i].content = ClipContent::make_text(std::string(1000 + i, char('b' + i)));
        pins[i].animal_index = unsigned(10 + i);
    }
    Bytes dib(40 + 512 * 512 * 4, 0x5B);
    const uint8_t header[16] = {40, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 1, 0, 32, 0};
    std::copy(std::begin(header), std::end(header), dib.begin());
    std::fill(dib.begin() + 16, dib.begin() + 40, 0);
    pins[4].content = ClipContent::make_image(std::move(dib));
    pins[4].animal_index = 20;
    pins[0].content.companions = {{"HTML Format", Bytes(2000, '<')}, {"Rich Text Format", Bytes(10, '{')}};
    pins[4].content.companions = {{"PNG", Bytes(300000, 0x89)}};
    return pins;
}

}  // namespace korvane::pin_sets
