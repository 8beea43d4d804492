#include "win/pictures/png_picture.hpp"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/byte_io.hpp"
#include "core/image_header.hpp"
#include "svg/svg_render.hpp"
#include "win/pictures/gdiplus_start.hpp"
#include "win/support/handles.hpp"

namespace korvane {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr uint8_t PNG_SIGNATURE[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// As long as a picture file chosen as an icon is given.
constexpr DWORD DECODE_LIMIT_MS = DWORD(SVG_TIME_LIMIT.count());

struct ReleaseStream {
    void operator()(IStream* stream) const { stream->Release(); }
};
struct DisposeImage {
    void operator()(GpBitmap* bitmap) const { GdipDisposeImage(bitmap); }
};

// A stream over a copy of the bytes, which it frees when released.
std::unique_ptr<IStream, ReleaseStream> stream_of(std::span<const uint8_t> bytes) {
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block) return nullptr;
    {
        const LockedGlobal lock(block.get());
        if (!lock.data()) return nullptr;
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &stream))) return nullptr;
    block.release();  // the stream's now
    return std::unique_ptr<IStream, ReleaseStream>(stream);
}

std::optional<Bytes> decode(std::span<const uint8_t> png) {
    const auto stream = stream_of(png);
    if (!stream) return std::nullopt;
    GpBitmap* loaded = nullptr;
    if (GdipCreateBitmapFromStream(stream.get(), &loaded) != Ok) return std::nullopt;
    const std::unique_ptr<GpBitmap, DisposeImage> bitmap(loaded);
    UINT width = 0, height = 0;
    GdipGetImageWidth(bitmap.get(), &width);
    GdipGetImageHeight(bitmap.get(), &height);
    if (width == 0 || height == 0 || !decodable_size({width, height})) return std::nullopt;
    const GpRect all{0, 0, INT(width), INT(height)};
    BitmapData data{};
    if (GdipBitmapLockBits(bitmap.get(), &all, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok) return std::nullopt;
    const uint64_t row = uint64_t(width) * 4;
    Bytes dib(40 + row * height);
    Bytes header;
    append_u32(header, 40);
    append_u32(header, width);
    append_u32(header, height);  // bottom-up, as most readers of CF_DIB expect
    append_u32(header, 1 | 32 << 16);  // one plane, 32 bits a pixel
    append_u32(header, 0);  // BI_RGB
    append_u32(header, static_cast<uint32_t>(row * height));
    for (int i = 0; i < 4; ++i) append_u32(header, 0);
    std::copy(header.begin(), header.end(), dib.begin());
    const auto* scan0 = static_cast<const uint8_t*>(data.Scan0);
    for (UINT y = 0; y < height; ++y)
        std::memcpy(dib.data() + 40 + row * (height - 1 - y), scan0 + ptrdiff_t(y) * data.Stride, row);
    GdipBitmapUnlockBits(bitmap.get(), &data);
    return dib;
}

// Shared by the thread that decodes and the one that waits: a decode given up on still writes
// into its own.
struct Decode {
    Bytes png;
    std::optional<Bytes> dib;
};

DWORD WINAPI run_decode(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Decode>> shared(static_cast<std::shared_ptr<Decode>*>(parameter));
    try {
        (*shared)->dib = decode((*shared)->png);
    } catch (const std::exception&) {
        (*shared)->dib.reset();
    }
    return 0;
}

// One decode left running past its time; GDI+ cannot be stopped.
OwnedHandle g_unfinished_decode;

}  // namespace

std::optional<Bytes> dib_of_png(Bytes& png) {
    if (png.size() < sizeof PNG_SIGNATURE || !std::equal(std::begin(PNG_SIGNATURE), std::end(PNG_SIGNATURE), png.begin()))
        return std::nullopt;
    // A PNG's size is in its first chunk: one that cannot be read there is refused.
    const std::optional<DeclaredSize> declared =
        declared_image_size(std::span<const uint8_t>(png));
    if (!declared || !decodable_size(*declared) || declared->width == 0 || declared->height == 0) return std::nullopt;
    if (g_unfinished_decode) {
        if (WaitForSingleObject(g_unfinished_decode.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
        g_unfinished_decode.reset();
    }
    start_gdiplus();
    auto job = std::make_shared<Decode>();
    job->png = std::move(png);
    auto parameter = std::make_unique<std::shared_ptr<Decode>>(job);
    OwnedHandle thread(CreateThread(nullptr, 0, run_decode, parameter.get(), 0, nullptr));
    if (!thread) return std::nullopt;
    parameter.release();  // the thread's now
    if (WaitForSingleObject(thread.get(), DECODE_LIMIT_MS) == WAIT_OBJECT_0) {
        png = std::move(job->png);
        return std::move(job->dib);
    }
    SetThreadPriority(thread.get(), THREAD_PRIORITY_IDLE);
    g_unfinished_decode = std::move(thread);
    return std::nullopt;
}

}  // namespace korvane
