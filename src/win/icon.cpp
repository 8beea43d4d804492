#include "win/icon.hpp"

#include <cstring>
#include <vector>

#include "core/app_icon.hpp"

namespace korvane {

OwnedIcon make_app_icon() {
    const int size = app_icon_size(GetSystemMetrics(SM_CXSMICON));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return OwnedIcon();
    const std::vector<uint32_t> pixels = app_icon_pixels(size);
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
