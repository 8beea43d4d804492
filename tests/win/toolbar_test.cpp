// The toolbar windows painted into bitmaps and read back pixel by pixel, at 96 dpi.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/layout.hpp"
#include "core/store.hpp"
#include "win/toolbar/draw.hpp"
#include "win/shell/dock.hpp"
#include "win/toolbar/palette.hpp"
#include "win/shell/popup.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/toolbar/toolbar_paint.hpp"
#include "korvane_observer.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

// A GDI colour as the canvas reads it back, 0xRRGGBB.
constexpr uint32_t rgb_of(COLORREF colour) {
    return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

constexpr uint32_t BACKGROUND = rgb_of(palette::BACKGROUND);
constexpr uint32_t FRAME_BORDER = rgb_of(palette::TILE_BORDER);
constexpr uint32_t HOT_BORDER = rgb_of(palette::HOT_BORDER);
constexpr uint32_t HOT_FILL = rgb_of(palette::HOT_FILL);
constexpr uint32_t TILE_FILL = rgb_of(palette::TILE_FILL);
constexpr uint32_t BADGE = rgb_of(palette::COUNT_BADGE);
constexpr uint32_t MISSING = rgb_of(palette::MISSING_STROKE);
constexpr uint32_t SEPARATOR = rgb_of(palette::SEPARATOR);

// A top-down 32-bit bitmap to paint into, with its pixels readable as 0xRRGGBB.
struct Canvas {
    Canvas(int width, int height) : width(width), height(height) {
        bitmap = make_dib_section(width, height, bits);
        dc.reset(CreateCompatibleDC(nullptr));
        previous = SelectObject(dc.get(), bitmap.get());
    }
    ~Canvas() { SelectObject(dc.get(), previous); }
    uint32_t at(int x, int y) const { return bits[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF; }

    int width;
    int height;
    OwnedBitmap bitmap;
    OwnedDc dc;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
};

Clip text_clip(const char* text, unsigned animal) {
    Clip clip;
    clip.content = ClipContent::make_text(text);
    clip.animal_index = animal;
    return clip;
}

class ToolbarPainting : public testing::Test {
protected:
    void SetUp() override {
        toolbar = create_toolbar_window(true, L"KorvaneDockTest", WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, DefWindowProcW);
        SetWindowPos(toolbar.window, nullptr, 0, 0, 76, 700, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    void TearDown() override {
        DestroyWindow(toolbar.tooltip);
        DestroyWindow(toolbar.window);
    }
    void paint(Canvas& canvas) { paint_toolbar(canvas.dc.get(), toolbar, store, canvas.width, canvas.height); }
    // Where the strip puts things now, from the same functions the painting uses.
    ToolbarLayout layout() const { return shape_of(toolbar, store).layout; }
    Rect tile(Area area, uint64_t index) const { return tile_rect(layout(), area, index); }
    TileParts parts(Area area, uint64_t index) const { return tile_parts(tile(area, index), 96); }

    ToolbarState toolbar;
    ClipStore store;
};

// The contrast of two colours as the accessibility guidelines define it, from 1:1 to 21:1.
double contrast_ratio(COLORREF a, COLORREF b) {
    const auto luminance = [](COLORREF c) {
        const auto linear = [](int channel) {
            const double v = channel / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Palette, EveryTextIsReadableAgainstWhatItIsDrawnOn) {
    EXPECT_NEAR(contrast_ratio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(contrast_ratio(RGB(130, 130, 130), palette::BACKGROUND), 3.46, 0.01);  // the old empty text
    const struct {
        const char* text;
        COLORREF colour, behind;
    } pairs[] = {{"section title", palette::TITLE, palette::BACKGROUND},
                 {"empty section", palette::EMPTY_TEXT, palette::BACKGROUND},
                 {"button", palette::BUTTON_ENABLED, palette::TILE_FILL},
                 {"hot button", palette::BUTTON_ENABLED, palette::HOT_FILL},
                 {"badge", palette::BADGE_TEXT, palette::COUNT_BADGE},
                 {"filter", palette::TITLE, palette::SEARCH_FILL}};
    for (const auto& pair : pairs) EXPECT_GE(contrast_ratio(pair.colour, pair.behind), 4.5) << pair.text;
}

TEST_F(ToolbarPainting, TheDockedHeaderHasItsSeparatorAndThreeButtons) {
    Canvas canvas(76, 700);
    paint(canvas);
    EXPECT_EQ(canvas.at(40, 300), BACKGROUND);
    EXPECT_EQ(canvas.at(0, 300), 0xC8C8C8u);  // the one-pixel frame
    const Rect separator = header_separator_rect(layout());
    for (int x = separator.left; x < separator.right; ++x) EXPECT_EQ(canvas.at(x, separator.top), SEPARATOR) << x;
    EXPECT_NE(canvas.at(separator.left - 1, separator.top), SEPARATOR);
    EXPECT_NE(canvas.at(separator.right, separator.top), SEPARATOR);
    // The three header buttons' frames (the fourth button is the Recent title's Clear).
    const std::vector<Button> buttons = button_list(layout());
    ASSERT_EQ(buttons.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        const Rect r = buttons[size_t(i)].rect;
        EXPECT_EQ(canvas.at(r.left + 11, r.top), FRAME_BORDER) << i;
        EXPECT_EQ(canvas.at(r.left + 11, r.bottom - 1), FRAME_BORDER) << i;
        EXPECT_EQ(canvas.at(r.left, r.top + 11), FRAME_BORDER) << i;
    }
}

TEST_F(ToolbarPainting, TileFramesAreNormalOrHotAndTheTemplateBadgeIsDarkBlue) {
    store.recent.push_back(text_clip("plain", 0));
    Clip templ = text_clip("Hi ${name}", 1);
    templ.variables.resize(1);
    templ.variables[0].name = "name";
    store.recent.push_back(std::move(templ));
    toolbar.hover = HitTarget{HitKind::RecentTile, 1};
    Canvas canvas(76, 700);
    paint(canvas);
    const Rect plain = tile(Area::Recent, 0), hot = tile(Area::Recent, 1);
    EXPECT_EQ(canvas.at(plain.left + 24, plain.top), FRAME_BORDER);
    EXPECT_EQ(canvas.at(plain.right - 4, plain.bottom - 4), TILE_FILL);  // no badge on a plain text
    EXPECT_EQ(canvas.at(hot.left + 24, hot.top), HOT_BORDER);
    EXPECT_EQ(canvas.at(hot.left + 1, hot.bottom - 6), HOT_FILL);
    const Rect badge = parts(Area::Recent, 1).template_badge;
    EXPECT_EQ(canvas.at(badge.left + 2, badge.top + 10), BADGE);
    EXPECT_EQ(canvas.at(badge.right - 2, badge.top + 10), BADGE);
    EXPECT_EQ(canvas.at(badge.left - 2, badge.top + 10), HOT_FILL);
}

TEST_F(ToolbarPainting, FileTilesShowTheMissingStrokeAndImageThumbnailsFitTheirArea) {
    Clip files;
    files.content = ClipContent::make_files({u"C:\\gone\\a.txt", u"C:\\gone\\b.txt"});
    files.cache.missing_files = 1;
    store.recent.push_back(std::move(files));
    Clip image;
    image.content = ClipContent::make_image(test::solid_dib(10, 400, 0x00FF0000));
    image.animal_index = 1;
    store.recent.push_back(std::move(image));
    Canvas canvas(76, 700);
    paint(canvas);
    const Rect files_tile = tile(Area::Recent, 0);
    EXPECT_EQ(canvas.at(files_tile.left + 24, files_tile.top + 24), MISSING);  // the stroke crosses the tile's centre
    const Rect count = parts(Area::Recent, 0).count_badge;
    EXPECT_EQ(canvas.at(count.left + 2, count.top + 7), BADGE);
    // In the 16 x 16 thumbnail area: a 1 x 16 red column in its middle.
    const Rect area = parts(Area::Recent, 1).thumbnail_area;
    EXPECT_EQ(canvas.at(area.left + 7, area.top + 8), 0xFF0000u);
    EXPECT_NE(canvas.at(area.left + 6, area.top + 8), 0xFF0000u);
    EXPECT_NE(canvas.at(area.left + 8, area.top + 8), 0xFF0000u);
}

Clip files_clip(size_t count, unsigned animal) {
    std::vector<FilePath> paths;
    for (size_t i = 0; i < count; ++i) paths.push_back(u"C:\\windows\\win.ini");
    Clip clip;
    clip.content = ClipContent::make_files(std::move(paths));
    clip.animal_index = animal;
    return clip;
}

// The inside of a count badge; its rounded corners show the picture behind.
std::vector<uint32_t> badge_pixels(const Canvas& canvas, const Rect& badge) {
    std::vector<uint32_t> out;
    for (int y = badge.top + 2; y < badge.bottom - 2; ++y)
        for (int x = badge.left + 2; x < badge.right - 2; ++x) out.push_back(canvas.at(x, y));
    return out;
}

TEST_F(ToolbarPainting, TheCountBadgeShowsTheNumberOfFilesUpTo99Plus) {
    for (size_t count : {size_t(1), size_t(9), size_t(99), size_t(100), size_t(250)}) store.recent.push_back(files_clip(count, unsigned(count % 30)));
    Canvas canvas(76, 700);
    paint(canvas);
    const Rect first = parts(Area::Recent, 0).count_badge;
    EXPECT_EQ(canvas.at(first.left + 2, first.top + 7), TILE_FILL);  // one file: no count badge
    // A reference badge drawn with each expected text.
    const auto reference = [&](const char* text) {
        Canvas badge(76, 700);
        const RECT r{first.left, first.top, first.right, first.bottom};
        const RECT all{0, 0, 76, 700};
        FillRect(badge.dc.get(), &all, HBRUSH(GetStockObject(WHITE_BRUSH)));  // the tile's own fill
        draw_rounded_rect(badge.dc.get(), r, palette::COUNT_BADGE, palette::COUNT_BADGE, toolbar.dpi);
        SetBkMode(badge.dc.get(), TRANSPARENT);
        draw_text_in_rect(badge.dc.get(), text, r, toolbar.badge_font.get(), palette::BADGE_TEXT,
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return badge_pixels(badge, first);
    };
    EXPECT_EQ(badge_pixels(canvas, parts(Area::Recent, 1).count_badge), reference("9"));
    EXPECT_EQ(badge_pixels(canvas, parts(Area::Recent, 2).count_badge), reference("99"));
    EXPECT_EQ(badge_pixels(canvas, parts(Area::Recent, 3).count_badge), reference("99+"));
    EXPECT_EQ(badge_pixels(canvas, parts(Area::Recent, 4).count_badge), reference("99+"));
    EXPECT_NE(reference("99"), reference("99+"));
}

TEST_F(ToolbarPainting, TilesOfOneAnimalShareOneScaledBitmap) {
    store.recent.push_back(text_clip("a", 27));
    Canvas canvas(76, 700);
    paint(canvas);
    const size_t one = animal_bitmap_count();
    store.recent.push_back(text_clip("b", 27));
    store.pins.push_back(text_clip("c", 57));  // 57 is 27 again
    paint(canvas);
    EXPECT_EQ(animal_bitmap_count(), one);
    store.pins.push_back(text_clip("d", 28));
    paint(canvas);
    EXPECT_EQ(animal_bitmap_count(), one + 1);  // a new animal: one more
}

TEST_F(ToolbarPainting, AnIndexBeyondThirtyDrawsThePictureOfItsRemainder) {
    store.recent.push_back(text_clip("a", 31));
    store.recent.push_back(text_clip("b", 1));
    Canvas canvas(76, 700);
    paint(canvas);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 36; ++x) {
            const Rect a = parts(Area::Recent, 0).picture, b = parts(Area::Recent, 1).picture;
            ASSERT_EQ(canvas.at(a.left + x, a.top + y), canvas.at(b.left + x, b.top + y)) << x << "," << y;
        }
}

// A strip laid out at 144 dpi while the system is at 96, as on a second monitor, and back.
TEST_F(ToolbarPainting, AStripLaidOutAtAnotherDpiDrawsItsTilesFontsAndThumbnailsForIt) {
    Clip image;
    image.content = ClipContent::make_image(test::solid_dib(10, 400, 0x00FF0000));
    store.recent.push_back(std::move(image));
    const auto text_height = [&](HDC dc) {
        const Selected selected(dc, toolbar.badge_font.get());
        SIZE size{};
        GetTextExtentPoint32W(dc, L"Recent", 6, &size);
        return int(size.cy);
    };
    struct Seen {
        int tile, text_height, thumbnail_rows;
    };
    const auto paint_at = [&](unsigned dpi) {
        lay_out_toolbar_at(toolbar, dpi);
        const int width = docked_strip_width(dpi), height = scale(700, dpi);
        SetWindowPos(toolbar.window, nullptr, 0, 0, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
        Canvas canvas(width, height);
        paint(canvas);
        // The thumbnail is a one-pixel red column as tall as its area.
        const Rect area = tile_parts(tile(Area::Recent, 0), dpi).thumbnail_area;
        int rows = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) rows += canvas.at(x, y) == 0xFF0000u;
        return Seen{layout().tile, text_height(canvas.dc.get()), rows};
    };
    const Seen at_96 = paint_at(96);
    const Seen at_144 = paint_at(144);
    EXPECT_EQ(layout().dpi, 144u);
    EXPECT_EQ(at_144.tile, scale(at_96.tile, 144));
    EXPECT_EQ(at_96.thumbnail_rows, scale(16, 96));
    EXPECT_EQ(at_144.thumbnail_rows, scale(16, 144));  // made again, not the 96-dpi one centred
    EXPECT_GE(at_144.text_height * 2, at_96.text_height * 3 - 2);
    const Seen back = paint_at(96);
    EXPECT_EQ(back.tile, at_96.tile);
    EXPECT_EQ(back.text_height, at_96.text_height);
    EXPECT_EQ(back.thumbnail_rows, at_96.thumbnail_rows);
}

TEST_F(ToolbarPainting, AThousandPaintsLeakNoGdiObjects) {
    for (int i = 0; i < 10; ++i) store.recent.push_back(text_clip(("clip " + std::to_string(i)).c_str(), unsigned(i)));
    Clip image;
    image.content = ClipContent::make_image(test::solid_dib(64, 64, 0x0000FF00));
    image.animal_index = 10;
    store.pins.push_back(std::move(image));
    Canvas canvas(76, 700);
    paint(canvas);  // fills the caches
    // Wine's GetGuiResources answers 0; the process's own GDI handle table is counted there.
    const auto gdi_objects = [] {
        const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        return counted != 0 ? std::optional<size_t>(counted) : test::gdi_table_entries(GetCurrentProcess());
    };
    const std::optional<size_t> before = gdi_objects();
    ASSERT_TRUE(before.has_value());
    for (int i = 0; i < 1000; ++i) paint(canvas);
    EXPECT_EQ(gdi_objects(), before);
    {
        OwnedBrush one_more(CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(gdi_objects(), *before + 1);  // the count sees what a paint would leak
    }
}

}  // namespace
}  // namespace korvane
