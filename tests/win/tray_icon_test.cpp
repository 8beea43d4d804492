#include <gtest/gtest.h>

#include "core/logo.hpp"
#include "win/pictures/tray_icon.hpp"

namespace korvane {
namespace {

// Reads an icon's colour image back as 32-bit top-down pixels.
std::vector<uint32_t> icon_colour_pixels(HICON icon, int& size) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    size = bitmap.bmWidth;
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = bitmap.bmWidth;
    request.bmiHeader.biHeight = -bitmap.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(size_t(bitmap.bmWidth) * size_t(bitmap.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

TEST(AppIconHandle, HoldsThePictureAtTheSmallIconSizeInEitherLook) {
    for (const LogoLook look : {LogoLook::Capturing, LogoLook::Paused}) {
        OwnedIcon icon = make_tray_icon(look);
        ASSERT_TRUE(icon);
        int size = 0;
        const std::vector<uint32_t> pixels = icon_colour_pixels(icon.get(), size);
        EXPECT_EQ(size, logo_size(GetSystemMetrics(SM_CXSMICON)));
        EXPECT_EQ(pixels, logo_pixels(size, look));
    }
    EXPECT_NE(logo_pixels(16, LogoLook::Paused), logo_pixels(16));
}

}  // namespace
}  // namespace korvane
