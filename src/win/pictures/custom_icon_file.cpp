#include "win/pictures/custom_icon_file.hpp"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <memory>
#include <span>

#include "core/icon_fit.hpp"
#include "core/text.hpp"
#include "core/image_header.hpp"
#include "core/picture.hpp"
#include "svg/svg_render.hpp"
#include "win/support/beep.hpp"
#include "win/storage/files.hpp"
#include "win/pictures/gdiplus_start.hpp"
#include "win/support/handles.hpp"
#include "win/app/messages.hpp"
#include "win/app/warning.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr char NOT_AN_IMAGE[] = "This file is not an image Windows can read.";
constexpr char EMPTY_IMAGE[] = "The image is empty.";
constexpr char NOT_CONVERTED[] = "The image could not be converted.";
constexpr char TOO_LARGE[] = "The image is too large.";
constexpr char TOO_LONG[] = "This file took too long to convert.";

// A raster conversion gets as long as an SVG one, under the limit in force (tests lower it).  The
// SVG renderer stops itself at its limit and is then given a little longer to hand back its
// result; GDI+ cannot be stopped, so a decode still running at the limit is left to finish on
// its own.
constexpr ULONGLONG SVG_STOP_MS = 1000;

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

// The most of a picture file that is read.  A 64-megapixel photo, the largest picture made into
// an icon, is 10 to 40 MB as a JPEG; a larger file is refused before any of it is decoded.
constexpr uint64_t MAX_PICTURE_FILE_BYTES = uint64_t{64} << 20;
constexpr DWORD READ_CHUNK_BYTES = DWORD{1} << 20;

struct StreamReleaser {
    void operator()(IStream* stream) const { stream->Release(); }
};
using OwnedStream = std::unique_ptr<IStream, StreamReleaser>;

// The file read whole through one open, its header checked, and the same bytes handed over as
// the stream GDI+ decodes: Wine's GDI+ decodes the whole image while loading it, before its
// size can be asked, so the size must be known first, and of these bytes, not of a file that
// could be replaced before a second open.  A header whose size cannot be found is refused.
std::variant<OwnedStream, std::string> read_picture_file(const std::wstring& path) {
    OwnedHandle file = owned_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return os_error_text(GetLastError());
    // The size only sizes the block (a pipe has none); the read itself stops one byte past the cap.
    uint64_t capacity = MAX_PICTURE_FILE_BYTES + 1;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart >= 0) {
        if (uint64_t(size.QuadPart) > MAX_PICTURE_FILE_BYTES) return std::string(TOO_LARGE);
        capacity = uint64_t(size.QuadPart) + 1;
    }
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, SIZE_T(capacity)));
    if (!block) return std::string(NOT_CONVERTED);
    uint64_t total = 0;
    {
        const LockedGlobal locked(block.get());
        auto* const bytes = static_cast<uint8_t*>(locked.data());
        if (!bytes) return std::string(NOT_CONVERTED);
        while (total < capacity) {
            DWORD got = 0;
            const DWORD wanted = DWORD(std::min<uint64_t>(capacity - total, READ_CHUNK_BYTES));
            if (!ReadFile(file.get(), bytes + total, wanted, &got, nullptr)) return os_error_text(GetLastError());
            if (got == 0) break;
            total += got;
        }
        if (total > MAX_PICTURE_FILE_BYTES) return std::string(TOO_LARGE);
        const std::optional<DeclaredSize> declared = declared_image_size(std::span(bytes, size_t(total)));
        if (!declared) return std::string(NOT_AN_IMAGE);
        if (!decodable_size(*declared)) return std::string(TOO_LARGE);
    }
    IStream* made = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &made)) || !made) return std::string(NOT_CONVERTED);
    block.release();  // the stream frees it
    OwnedStream stream(made);
    ULARGE_INTEGER length{};
    length.QuadPart = total;  // the block is one byte longer than what was read
    if (FAILED(stream->SetSize(length))) return std::string(NOT_CONVERTED);
    return stream;
}

// Only raster images: GDI+ also plays metafiles, whatever their name, and their drawing is
// bounded by nothing.  The size is checked again as GDI+ reads it, which on Windows is before
// any decoding.
std::variant<Bytes, std::string> read_raster(const std::wstring& path) {
    std::variant<OwnedStream, std::string> read = read_picture_file(path);
    if (std::string* reason = std::get_if<std::string>(&read)) return std::move(*reason);
    // GDI+ reads from the stream as long as the image lives, so the stream outlives it.
    const OwnedStream stream = std::move(std::get<OwnedStream>(read));
    GpImage* loaded = nullptr;
    const bool ok = GdipLoadImageFromStream(stream.get(), &loaded) == Ok;
    const OwnedImage image(loaded);
    if (!ok || !image) return std::string(NOT_AN_IMAGE);
    ImageType type = ImageTypeUnknown;
    if (GdipGetImageType(image.get(), &type) != Ok || type != ImageTypeBitmap) return std::string(NOT_AN_IMAGE);
    UINT width = 0, height = 0;
    GdipGetImageWidth(image.get(), &width);
    GdipGetImageHeight(image.get(), &height);
    if (width == 0 || height == 0) return std::string(EMPTY_IMAGE);
    if (!decodable_size({width, height})) return std::string(TOO_LARGE);

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
    if (rendered.too_long) return std::string(TOO_LONG);
    if (!rendered.picture) return "This SVG file could not be read (" + rendered.error + ").";
    return std::move(*rendered.picture);
}

// One conversion, shared by the thread that runs it and the one that waits for it: a thread
// that is given up on still writes into its own.
struct Conversion {
    std::wstring path;
    bool svg = false;
    std::variant<Bytes, std::string> result;
};

DWORD WINAPI run_conversion(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Conversion>> shared(static_cast<std::shared_ptr<Conversion>*>(parameter));
    Conversion& job = **shared;
    try {
        job.result = job.svg ? read_svg(job.path) : read_raster(job.path);
    } catch (const std::exception&) {
        job.result = std::string(NOT_CONVERTED);
    }
    return 0;
}

bool is_input(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

bool is_press(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN: return true;
    }
    return false;
}

// Waits until the object is signalled or the tick count reaches the deadline, and meanwhile
// serves this thread's windows: sent messages, paints, timers, clipboard updates and hook
// callbacks go on, while mouse and keyboard input is dropped (a press beeps), so that no
// command can start before the conversion has ended.  A quit is kept for the loop outside.
bool wait_serving_messages(HANDLE object, ULONGLONG deadline) {
    std::optional<int> quit;
    bool signalled = false;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = int(message.wParam);
            } else if (is_input(message.message)) {
                if (is_press(message.message)) beep_refusal();
            } else {
                DispatchMessageW(&message);  // keys are dropped, so there is nothing to translate
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &object, DWORD(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        if (woke == WAIT_FAILED) break;
    }
    if (quit) PostQuitMessage(*quit);
    return signalled;
}

// A GDI+ decode given up on at its limit, still running.  Only one runs at a time: GDI+ cannot
// be stopped, and each could hold up to the largest decodable bitmap.
OwnedHandle g_unfinished_decode;

// While a conversion runs, the notification icon's callbacks to the main window are refused
// like input: they arrive as sent messages, which no message loop sees.
LRESULT CALLBACK refuse_tray_callbacks(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR) {
    if (message == WM_TRAY_CALLBACK) {
        switch (LOWORD(lparam)) {
        case NIN_SELECT:
        case NIN_KEYSELECT:
        case WM_CONTEXTMENU: beep_refusal(); break;
        }
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, refuse_tray_callbacks, id);
    return DefSubclassProc(window, message, wparam, lparam);
}

class TrayCallbacksRefused {
public:
    explicit TrayCallbacksRefused(HWND main_window) : window_(main_window) {
        if (window_) SetWindowSubclass(window_, refuse_tray_callbacks, 1, 0);
    }
    ~TrayCallbacksRefused() {
        if (window_ && IsWindow(window_)) RemoveWindowSubclass(window_, refuse_tray_callbacks, 1);
    }
    TrayCallbacksRefused(const TrayCallbacksRefused&) = delete;
    TrayCallbacksRefused& operator=(const TrayCallbacksRefused&) = delete;

private:
    HWND window_;
};

}  // namespace

std::variant<Bytes, std::string> read_icon_file(const std::wstring& path) {
    auto job = std::make_shared<Conversion>();
    job->path = path;
    job->svg = is_svg_path(to_units(path));
    const ULONGLONG limit = ULONGLONG(svg_time_limit().count()) + (job->svg ? SVG_STOP_MS : 0);
    const ULONGLONG deadline = GetTickCount64() + limit;
    if (!job->svg) {
        start_gdiplus();
        if (g_unfinished_decode) {
            if (!wait_serving_messages(g_unfinished_decode.get(), deadline)) return std::string(TOO_LONG);
            g_unfinished_decode.reset();
        }
    }
    auto parameter = std::make_unique<std::shared_ptr<Conversion>>(job);
    OwnedHandle thread(CreateThread(nullptr, 0, run_conversion, parameter.get(), 0, nullptr));
    if (!thread) return std::string(NOT_CONVERTED);
    parameter.release();  // the thread's now
    if (wait_serving_messages(thread.get(), deadline)) return std::move(job->result);
    if (!job->svg) {
        // Left to finish in time the user-interface thread does not need.
        SetThreadPriority(thread.get(), THREAD_PRIORITY_IDLE);
        g_unfinished_decode = std::move(thread);
    }
    return std::string(TOO_LONG);
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
    std::variant<Bytes, std::string> result;
    {
        const TrayCallbacksRefused refused(owner);
        result = read_icon_file(path);
    }
    if (auto* reason = std::get_if<std::string>(&result)) {
        show_warning(icon_failure_message(path, *reason));
        return std::nullopt;
    }
    return std::move(std::get<Bytes>(result));
}

}  // namespace korvane
