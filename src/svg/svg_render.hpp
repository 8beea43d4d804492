// SVG documents to pictures, drawn by the resvg library (compiled from its wasm build).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/picture.hpp"

namespace korvane {

constexpr size_t SVG_MAX_FILE_BYTES = size_t{32} << 20;
constexpr uint64_t SVG_MEMORY_LIMIT = uint64_t{512} << 20;
// Ten times what the largest illustrations measured take; a document still running then is
// one that would run for minutes or days.
constexpr std::chrono::milliseconds SVG_TIME_LIMIT{3000};

// A picture (PICTURE_BYTES of premultiplied BGRA, rows top to bottom), or the reason there
// is none: the library's own error text, or what stopped it (size, memory or time limit, a
// fault inside the library).
struct SvgResult {
    std::optional<std::vector<uint8_t>> picture;
    std::string error;
    bool too_long = false;  // stopped at the time limit
};

// Parses `svg` with the library's default options and no font database (text is not drawn)
// and renders it into a transparent 96 x 96 picture: scaled by s = min(96 / w, 96 / h) for
// the document's size w x h, then moved by ((96 - w s) / 2, (96 - h s) / 2).  Runs on a
// thread of its own with a large stack; calls from several threads take turns.  At the time
// limit the library is stopped where it is and the thread ends; nothing of the conversion
// runs on after the return.
SvgResult render_svg(std::span<const uint8_t> svg) noexcept;

// What render_svg accepts.  Changing them starts the library afresh.
struct SvgLimits {
    size_t max_file_bytes = SVG_MAX_FILE_BYTES;
    uint64_t memory_limit = SVG_MEMORY_LIMIT;  // the library's whole working memory
    std::chrono::milliseconds time_limit = SVG_TIME_LIMIT;  // from the start of a conversion
};
void set_svg_limits(const SvgLimits& limits) noexcept;
// The time limit in force, read without waiting for a conversion that runs.
std::chrono::milliseconds svg_time_limit() noexcept;

}  // namespace korvane
