// SVG documents to pictures, drawn by the resvg library (compiled from its wasm build).
#pragma once

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

// A picture (PICTURE_BYTES of premultiplied BGRA, rows top to bottom), or the reason there
// is none: the library's own error text, or what stopped it (size or memory limit, a fault
// inside the library).
struct SvgResult {
    std::optional<std::vector<uint8_t>> picture;
    std::string error;
};

// Parses `svg` with the library's default options and no font database (text is not drawn)
// and renders it into a transparent 96 x 96 picture: scaled by s = min(96 / w, 96 / h) for
// the document's size w x h, then moved by ((96 - w s) / 2, (96 - h s) / 2).  Runs on a
// thread of its own with a large stack; calls from several threads take turns.
SvgResult render_svg(std::span<const uint8_t> svg) noexcept;

// What render_svg accepts.  Changing them starts the library afresh.
struct SvgLimits {
    size_t max_file_bytes = SVG_MAX_FILE_BYTES;
    uint64_t memory_limit = SVG_MEMORY_LIMIT;  // the library's whole working memory
};
void set_svg_limits(const SvgLimits& limits) noexcept;

}  // namespace korvane
