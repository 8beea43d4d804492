// The image header reader on arbitrary bytes: it reads only inside them (ASan), every side fits
// the 32 bits the formats store, and more bytes never take a declared size away.  A header
// complete in a prefix declares the same size for the whole file; only a GIF, whose canvas
// grows with each frame read, and an ICO, whose entries may name PNG streams further on, can
// declare more.
#include <cstdlib>
#include <cstring>

#include "core/image_header.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    if (size == 0) return 0;
    const std::span<const uint8_t> bytes(data, size);
    const std::optional<DeclaredSize> whole = declared_image_size(bytes);
    if (whole && (whole->width > 0xFFFFFFFFu || whole->height > 0xFFFFFFFFu)) std::abort();
    if (whole && decodable_size(*whole) && whole->width * whole->height > MAX_DECODED_PIXELS) std::abort();

    const size_t cut = size * data[size - 1] / 256;
    const std::optional<DeclaredSize> prefix = declared_image_size(bytes.first(cut));
    if (!prefix) return 0;
    if (!whole) std::abort();
    const bool grows = (size >= 4 && std::memcmp(data, "GIF8", 4) == 0) ||
                       (size >= 4 && data[0] == 0 && data[1] == 0 && (data[2] == 1 || data[2] == 2) && data[3] == 0);
    if (!grows && !(*prefix == *whole)) std::abort();
    return 0;
}
