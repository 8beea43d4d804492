#include "win/icon_file.hpp"

#include <commdlg.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <mutex>

#include "core/icon_fit.hpp"
#include "core/picture.hpp"
#include "svg/svg_render.hpp"
#include "win/files.hpp"
#include "win/handles.hpp"
#include "win/warning.hpp"
#include "win/wide.hpp"

namespace korvane {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr char NOT_AN_IMAGE[] = "This file is not an image Windows can read.";
constexpr char EMPTY_IMAGE[] = "The image is empty.";
constexpr char NOT_CONVERTED[] = "The image could not be converted.";

// GDI+ is started before its first use and never shut down.
void start_gdiplus() {
    static std::once_flag started;
    std::call_once(started, [] {
        ULONG_PTR token = 0;
        GdiplusStartupInput input;
        GdiplusStartup(&token, &input, nullptr);
    });
}

// GDI+ objects, each released by its own disposal function.
template <class T, auto Dispose>
struct GdiplusDeleter {
    void operator()(T* object) const { Dispose(object); }
};
using OwnedImage = std::unique_ptr<GpImage, GdiplusDeleter<GpImage, GdipDisposeImage>>;
using OwnedGraphics = std::unique_ptr<GpGraphics, GdiplusDeleter<GpGraphics, GdipDeleteGraphics>>;
using OwnedImageAttributes =
    std::unique_ptr<GpImageAttributes, GdiplusDeleter<GpImageAttributes, GdipDisposeImageAttributes>>;

// Draws the image fitted into the 96 x 96 premultiplied buffer; the GDI+ objects that write into
// it are gone when this returns.
bool draw_fitted(GpImage* image, UINT width, UINT height, Bytes& pixels) {
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromScan0(96, 96, 384, PixelFormat32bppPARGB, pixels.data(), &bitmap);
    const OwnedImage target(bitmap);
    GpGraphics* context = nullptr;
    if (target) GdipGetImageGraphicsContext(target.get(), &context);
    const OwnedGraphics graphics(context);
    if (!graphics) return false;
    GdipSetInterpolationMode(graphics.get(), InterpolationModeHighQualityBicubic);
    GdipSetPixelOffsetMode(graphics.get(), PixelOffsetModeHalf);
    GpImageAttributes* made = nullptr;
    GdipCreateImageAttributes(&made);
    const OwnedImageAttributes attributes(made);
    GdipSetImageAttributesWrapMode(attributes.get(), WrapModeTileFlipXY, 0, FALSE);
    const Rect at = fit_icon(width, height);
    return GdipDrawImageRectRectI(graphics.get(), image, at.left, at.top, at.width(), at.height(), 0, 0, INT(width),
                                  INT(height), UnitPixel, attributes.get(), nullptr, nullptr) == Ok;
}

std::variant<Bytes, std::string> read_raster(const std::wstring& path) {
    start_gdiplus();
    GpImage* loaded = nullptr;
    const bool ok = GdipLoadImageFromFile(path.c_str(), &loaded) == Ok;
    const OwnedImage image(loaded);
    if (!ok || !image) return std::string(NOT_AN_IMAGE);
    UINT width = 0, height = 0;
    GdipGetImageWidth(image.get(), &width);
    GdipGetImageHeight(image.get(), &height);
    if (width == 0 || height == 0) return std::string(EMPTY_IMAGE);

    Bytes pixels(PICTURE_BYTES, 0);
    if (!draw_fitted(image.get(), width, height, pixels)) return std::string(NOT_CONVERTED);
    return pixels;
}

std::variant<Bytes, std::string> read_svg(const std::wstring& path) {
    OwnedHandle file = owned_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return os_error_text(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return os_error_text(GetLastError());
    // Larger files are refused by the renderer; read one byte more so it can tell.
    const uint64_t wanted = std::min<uint64_t>(uint64_t(size.QuadPart), SVG_MAX_FILE_BYTES + 1);
    Bytes bytes(static_cast<size_t>(wanted));
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr))
        return os_error_text(GetLastError());
    bytes.resize(got);
    SvgResult rendered = render_svg(bytes);
    if (!rendered.picture) return "This SVG file could not be read (" + rendered.error + ").";
    return std::move(*rendered.picture);
}

}  // namespace

std::variant<Bytes, std::string> read_icon_file(const std::wstring& path) {
    if (is_svg_path(to_units(path))) return read_svg(path);
    return read_raster(path);
}

std::string icon_failure_message(const std::wstring& path, const std::string& reason) {
    const std::u16string units = to_units(path);
    return "Could not use " + utf16_to_utf8(file_name_of(units)) + " as an icon.\n" + reason;
}

std::optional<Bytes> choose_icon_file(HWND owner) {
    static constexpr wchar_t FILTER[] =
        L"Images\0*.png;*.jpg;*.jpeg;*.gif;*.bmp;*.ico;*.tif;*.tiff;*.svg\0All files\0*.*\0";
    std::wstring buffer(4096, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;  // 152 bytes
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = FILTER;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = 4096;
    dialog.lpstrTitle = L"Choose an icon";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    const std::wstring path(buffer.c_str());
    std::variant<Bytes, std::string> result = read_icon_file(path);
    if (auto* reason = std::get_if<std::string>(&result)) {
        show_warning(icon_failure_message(path, *reason));
        return std::nullopt;
    }
    return std::move(std::get<Bytes>(result));
}

}  // namespace korvane
