// The DIB checks and the drop-block check on arbitrary bytes: whatever check_dib_pixels accepts
// has its pixel rows inside the block, and a drop block that passes parses into its paths.
#include <cstdlib>

#include "core/dib.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const std::span<const uint8_t> block(data, size);
    const auto header = check_dib(block);
    if (header && header->pixel_offset >= size) std::abort();
    if (const auto pixels = check_dib_pixels(block); pixels && (!header || !(*pixels == *header))) std::abort();
    if (check_drop_block(block)) parse_drop_block(block);
    return 0;
}
