// The DIB checks, the thumbnail fit and the picture scaling on arbitrary bytes: whatever
// check_dib_pixels accepts holds, inside the block, the last pixel byte a drawing call reads
// for its uncompressed rows; a thumbnail is never empty nor larger than its area or its image;
// a scaled picture keeps its size and its colour premultiplied.
#include <algorithm>
#include <cstdlib>

#include "core/dib.hpp"
#include "core/picture.hpp"

namespace {

uint64_t u32_at(const uint8_t* p) { return uint64_t(p[0]) | uint64_t(p[1]) << 8 | uint64_t(p[2]) << 16 | uint64_t(p[3]) << 24; }

// One past the last byte of the rows, for the uncompressed forms: rows are padded to 32 bits,
// and the last row needs only its own pixels.
void check_rows_inside(const uint8_t* data, size_t size, const korvane::DibInfo& info) {
    const uint64_t compression = u32_at(data + 16);
    if (compression != 0 && compression != 3 && compression != 6) return;
    const uint64_t bits = uint64_t(data[14]) | uint64_t(data[15]) << 8;
    const uint64_t row_bits = uint64_t(info.width) * bits;
    const uint64_t stride = (row_bits + 31) / 32 * 4;
    const uint64_t end = info.pixel_offset + (info.height - 1) * stride + (row_bits + 7) / 8;
    if (end > size) std::abort();
}

void check_thumbnail(int64_t width, int64_t height, int32_t area_width, int32_t area_height) {
    const korvane::Size fitted = korvane::thumbnail_size(width, height, area_width, area_height);
    if (fitted.width < 1 || fitted.height < 1) std::abort();
    if (fitted.width > std::max<int64_t>(1, std::min<int64_t>(width, area_width))) std::abort();
    if (fitted.height > std::max<int64_t>(1, std::min<int64_t>(height, area_height))) std::abort();
}

// A premultiplied picture that starts with the input (the rest transparent), scaled to 1 to
// 16 pixels.  The picture is kept between inputs and cleared again after each, so an input
// costs its own length rather than a whole picture.
void check_scaling(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> picture(korvane::PICTURE_BYTES);
    const size_t used = std::min(size, picture.size()) / 4 * 4;
    std::copy(data, data + used, picture.begin());
    for (size_t i = 0; i < used; i += 4)
        for (size_t c = 0; c < 3; ++c) picture[i + c] = std::min(picture[i + c], picture[i + 3]);
    const int side = 1 + data[0] % 16;
    const std::vector<uint8_t> scaled = korvane::scale_picture_pixels(picture, side);
    std::fill(picture.begin(), picture.begin() + ptrdiff_t(used), uint8_t{0});
    if (scaled.size() != size_t(side) * size_t(side) * 4) std::abort();
    for (size_t i = 0; i < scaled.size(); i += 4)
        for (size_t c = 0; c < 3; ++c)
            if (scaled[i + c] > scaled[i + 3]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const std::span<const uint8_t> block(data, size);
    const auto header = check_dib(block);
    if (header && header->pixel_offset >= size) std::abort();
    if (const auto pixels = check_dib_pixels(block)) {
        if (!header || !(*pixels == *header)) std::abort();
        check_rows_inside(data, size, *pixels);
        check_thumbnail(pixels->width, pixels->height, 16, 16);
        check_thumbnail(pixels->width, pixels->height, 40, 24);
    }
    if (size > 0) check_scaling(data, size);
    return 0;
}
