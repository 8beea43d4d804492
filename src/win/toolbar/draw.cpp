#include "win/toolbar/draw.hpp"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "core/animals.hpp"
#include "core/dib.hpp"
#include "core/layout.hpp"
#include "core/picture.hpp"
#include "win/storage/files.hpp"
#include "win/support/rects.hpp"
#include "win/toolbar/palette.hpp"
#include "win/support/wide.hpp"

namespace korvane {

struct TileCache {
    unsigned pictures_dpi = 0;  // the DPI the thumbnail and the custom icon are made for
    OwnedBitmap thumbnail;
    OwnedIcon file_icon;
    bool file_icon_asked = false;  // the shell is asked once, and its answer kept even when it is none
    bool thumbnail_tried = false;  // a picture GDI cannot draw is not expanded again for every paint
    OwnedBitmap custom_icon;
};

namespace {

// Releases what a clip's drawing cache holds.
void release_tile_cache(TileCache* cache) { delete cache; }

using namespace palette;

struct AnimalBitmap {
    unsigned index;
    int size;
    OwnedBitmap bitmap;
};

// Scaled animal pictures, made once per index and size and kept for the whole run.
thread_local std::vector<AnimalBitmap> animal_cache;

// An S x S 32-bit top-down bitmap of a 96 x 96 picture; empty when it cannot be made.
OwnedBitmap scale_picture(std::span<const uint8_t> picture, int size) {
    uint32_t* bits = nullptr;
    OwnedBitmap bitmap = make_dib_section(size, size, bits);
    if (!bitmap || !bits || size <= 0) return bitmap;
    const std::vector<uint8_t> pixels = scale_picture_pixels(picture, size);
    std::memcpy(bits, pixels.data(), pixels.size());
    return bitmap;
}

HBITMAP animal_bitmap(unsigned index, int size) {
    index %= ANIMAL_COUNT;
    for (const AnimalBitmap& entry : animal_cache)
        if (entry.index == index && entry.size == size) return entry.bitmap.get();
    animal_cache.push_back({index, size, scale_picture(animal_picture(index), size)});
    return animal_cache.back().bitmap.get();
}

// A clip's cache, with the pictures made for another DPI let go.
TileCache& cache_of(Clip& clip, unsigned dpi) {
    if (!clip.cache.handles()) clip.cache.set_handles(new TileCache, release_tile_cache);
    TileCache& cache = *clip.cache.handles();
    if (cache.pictures_dpi != dpi) {
        cache.thumbnail.reset();
        cache.thumbnail_tried = false;
        cache.custom_icon.reset();
        cache.pictures_dpi = dpi;
    }
    return cache;
}


TileParts parts_of(const RECT& tile, unsigned dpi) { return tile_parts(Rect{tile.left, tile.top, tile.right, tile.bottom}, dpi); }

void draw_badge_text(HDC dc, const RECT& badge, std::string_view text, HFONT font) {
    draw_text_in_rect(dc, text, badge, font, BADGE_TEXT, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The thumbnail of a picture, made from its DIB (expanded for this when it is kept compressed).
// The block's pixel rows are checked against its header first: it comes from another program or
// the pins file.
OwnedBitmap make_thumbnail(HDC dc, const DibBlock& dib, const Rect& area) {
    std::optional<Bytes> expanded;
    std::span<const uint8_t> block = dib.raw();
    if (dib.is_packed()) {
        expanded = dib.expanded();
        if (!expanded) return {};
        block = *expanded;
    }
    const std::optional<DibInfo> info = check_dib_pixels(block);
    if (!info) return {};
    const Size size = thumbnail_size(info->width, info->height, area.width(), area.height());
    // A DIB section rather than a compatible bitmap: selecting a device bitmap into a DC for
    // every paint costs Wine a round trip to the display driver.
    OwnedDc memory(CreateCompatibleDC(dc));
    uint32_t* bits = nullptr;
    OwnedBitmap bitmap = make_dib_section(size.width, size.height, bits);
    if (!memory || !bitmap) return {};
    const Selected selected(memory.get(), bitmap.get());
    SetStretchBltMode(memory.get(), HALFTONE);
    SetBrushOrgEx(memory.get(), 0, 0, nullptr);
    const auto* header = reinterpret_cast<const BITMAPINFO*>(block.data());
    StretchDIBits(memory.get(), 0, 0, size.width, size.height, 0, 0, info->width, int(info->height),
                  block.data() + info->pixel_offset, header, DIB_RGB_COLORS, SRCCOPY);
    return bitmap;
}

// The thumbnail of an image clip, made once and kept with the clip's drawing cache.
void draw_thumbnail(HDC dc, HDC source, Clip& clip, const RECT& tile, unsigned dpi) {
    const Rect area = parts_of(tile, dpi).thumbnail_area;
    TileCache& cache = cache_of(clip, dpi);
    if (!cache.thumbnail_tried) {
        cache.thumbnail_tried = true;
        cache.thumbnail = make_thumbnail(dc, clip.content.dib, area);
    }
    if (!cache.thumbnail) return;
    BITMAP bitmap{};
    GetObjectW(cache.thumbnail.get(), sizeof bitmap, &bitmap);
    const Selected selected(source, cache.thumbnail.get());
    const Point at = centred_in(area, Size{int32_t(bitmap.bmWidth), int32_t(bitmap.bmHeight)});
    BitBlt(dc, at.x, at.y, bitmap.bmWidth, bitmap.bmHeight, source, 0, 0, SRCCOPY);
}

void draw_files_badges(HDC dc, Clip& clip, const RECT& tile, HFONT badge_font, unsigned dpi) {
    TileCache& cache = cache_of(clip, dpi);
    const bool missing = clip.cache.missing_files != 0;
    if (!cache.file_icon_asked && !clip.content.files.empty()) {
        cache.file_icon_asked = true;
        const FilePath& first = clip.content.files.front();
        SHFILEINFOW info{};
        UINT flags = SHGFI_ICON | SHGFI_SMALLICON;
        // With the attributes given, the shell answers from the name's type without touching the
        // file: for a file that is gone, and for one that may be on another machine, which a
        // paint must never wait for.
        if (missing || may_be_remote(first)) flags |= SHGFI_USEFILEATTRIBUTES;
        const std::wstring wide = to_wide(first);
        if (SHGetFileInfoW(wide.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags)) cache.file_icon.reset(info.hIcon);
    }
    const TileParts parts = parts_of(tile, dpi);
    draw_rounded_rect(dc, to_rect(parts.kind_badge), KIND_BADGE_FILL, KIND_BADGE_BORDER, dpi);
    if (cache.file_icon)
        DrawIconEx(dc, parts.file_icon.left, parts.file_icon.top, cache.file_icon.get(), parts.file_icon.width(),
                   parts.file_icon.height(), 0, nullptr, DI_NORMAL);
    const size_t count = clip.content.files.size();
    if (count >= 2) {
        const RECT badge = to_rect(parts.count_badge);
        draw_rounded_rect(dc, badge, COUNT_BADGE, COUNT_BADGE, dpi);
        draw_badge_text(dc, badge, count >= 100 ? "99+" : std::to_string(count), badge_font);
    }
    if (missing) {
        OwnedPen pen(CreatePen(PS_SOLID, parts.stroke_width, MISSING_STROKE));
        const Selected selected(dc, pen.get());
        MoveToEx(dc, parts.stroke_from.x, parts.stroke_from.y, nullptr);
        LineTo(dc, parts.stroke_to.x, parts.stroke_to.y);
    }
}

}  // namespace

size_t animal_bitmap_count() { return animal_cache.size(); }

void draw_rounded_rect(HDC dc, const RECT& rect, COLORREF fill, COLORREF border, unsigned dpi) {
    OwnedBrush brush(CreateSolidBrush(fill));
    OwnedPen pen(CreatePen(PS_SOLID, frame_pen_width(dpi), border));
    const Selected selected_brush(dc, brush.get());
    const Selected selected_pen(dc, pen.get());
    const int corner = frame_corner(dpi);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
}

RECT frame_bounds(const RECT& rect, unsigned dpi) {
    const int pen = frame_pen_width(dpi);
    return RECT{rect.left - pen, rect.top - pen, rect.right + pen, rect.bottom + pen};
}

void draw_tile_frame(HDC dc, const RECT& rect, bool hot, unsigned dpi) {
    draw_rounded_rect(dc, rect, hot ? HOT_FILL : TILE_FILL, hot ? HOT_BORDER : TILE_BORDER, dpi);
}

namespace {

void blend_picture(HDC dc, HDC source, HBITMAP bitmap, int x, int y, int size) {
    if (!bitmap) return;
    const Selected selected(source, bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, size, size, source, 0, 0, size, size, blend);
}

}  // namespace

void draw_tile(HDC dc, HDC source, Clip& clip, const RECT& rect, HFONT badge_font, unsigned dpi) {
    if (clip.cache.busy) return;  // a tile drawn from inside its own drawing
    clip.cache.busy = true;
    const TileParts parts = parts_of(rect, dpi);
    const int picture = parts.picture.width();
    const int x = parts.picture.left;
    const int y = parts.picture.top;
    if (clip.custom_icon) {
        TileCache& cache = cache_of(clip, dpi);
        if (!cache.custom_icon) cache.custom_icon = scale_picture(*clip.custom_icon, picture);
        blend_picture(dc, source, cache.custom_icon.get(), x, y, picture);
    } else {
        blend_picture(dc, source, animal_bitmap(clip.animal_index, picture), x, y, picture);
    }
    switch (clip.content.kind) {
    case ClipKind::Text:
        if (!clip.variables.empty()) {
            const RECT badge = to_rect(parts.template_badge);
            draw_rounded_rect(dc, badge, COUNT_BADGE, COUNT_BADGE, dpi);
            draw_badge_text(dc, badge, "${}", badge_font);
        }
        break;
    case ClipKind::Image:
        draw_rounded_rect(dc, to_rect(parts.kind_badge), KIND_BADGE_FILL, KIND_BADGE_BORDER, dpi);
        draw_thumbnail(dc, source, clip, rect, dpi);
        break;
    case ClipKind::Files: draw_files_badges(dc, clip, rect, badge_font, dpi); break;
    }
    clip.cache.busy = false;
}

OwnedBitmap make_dib_section(int width, int height, uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    bits = static_cast<uint32_t*>(pixels);
    return bitmap;
}

OwnedFont make_font(const wchar_t* face, int size_dips, int weight, bool italic, unsigned dpi) {
    return OwnedFont(CreateFontW(-scale(size_dips, dpi), 0, 0, 0, weight, italic ? TRUE : FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face));
}

void draw_text_in_rect(HDC dc, std::string_view text, const RECT& rect, HFONT font, COLORREF colour, UINT format) {
    const std::wstring wide = to_wide(text);
    RECT copy = rect;
    const Selected selected(dc, font);
    SetTextColor(dc, colour);
    DrawTextW(dc, wide.c_str(), int(wide.size()), &copy, format | DT_NOPREFIX);
}

int measure_runs(HDC dc, std::span<const TextRun> runs) {
    int width = 0;
    for (const TextRun& run : runs) {
        const Selected selected(dc, run.font);
        SIZE size{};
        GetTextExtentPoint32W(dc, run.text.data(), int(run.text.size()), &size);
        width += size.cx;
    }
    return width;
}

void draw_runs(HDC dc, std::span<const TextRun> runs, int x, int y) {
    const UINT alignment = GetTextAlign(dc);
    SetTextAlign(dc, TA_BASELINE);
    for (const TextRun& run : runs) {
        const Selected selected(dc, run.font);
        SetTextColor(dc, run.colour);
        TextOutW(dc, x, y, run.text.data(), int(run.text.size()));
        SIZE size{};
        GetTextExtentPoint32W(dc, run.text.data(), int(run.text.size()), &size);
        x += size.cx;
    }
    SetTextAlign(dc, alignment);
}

}  // namespace korvane
