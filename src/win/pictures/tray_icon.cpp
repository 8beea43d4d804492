#include "win/pictures/tray_icon.hpp"

#include <cstring>
#include <vector>

#include "core/logo.hpp"
#include "win/toolbar/draw.hpp"

namespace korvane {

OwnedIcon make_tray_icon(LogoLook look) {
    const int size = logo_size(GetSystemMetrics(SM_CXSMICON));
    uint32_t* bits = nullptr;
    OwnedBitmap colour = make_dib_section(size, size, bits);
    if (!colour || !bits) return OwnedIcon();
    const std::vector<uint32_t> pixels = logo_pixels(size, look);
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));

    // An all-zero mask: with a 32-bit colour image the alpha channel decides transparency.
    const int row_bytes = ((size + 15) / 8) & ~1;
    const std::vector<uint8_t> mask_bits(size_t(row_bytes) * size_t(size), 0);
    OwnedBitmap mask(CreateBitmap(size, size, 1, 1, mask_bits.data()));
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmMask = mask.get();
    icon.hbmColor = colour.get();
    return OwnedIcon(CreateIconIndirect(&icon));
}

}  // namespace korvane
