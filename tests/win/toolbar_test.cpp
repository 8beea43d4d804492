// The toolbar windows painted into bitmaps and read back pixel by pixel, at 96 dpi.
#include <gtest/gtest.h>

#include <cstring>

#include "core/layout.hpp"
#include "core/store.hpp"
#include "win/draw.hpp"
#include "win/dock.hpp"
#include "win/palette.hpp"
#include "win/popup.hpp"
#include "win/toolbar.hpp"
#include "win/toolbar_paint.hpp"
#include "korvane_observer.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

// A GDI colour as the canvas reads it back, 0xRRGGBB.
constexpr uint32_t rgb_of(COLORREF colour) {
    return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

constexpr uint32_t BACKGROUND = rgb_of(palette::BACKGROUND);
constexpr uint32_t FRAME_BORDER = 0xD0D0D0;
constexpr uint32_t HOT_BORDER = 0x0078D4;
constexpr uint32_t HOT_FILL = 0xE5F1FB;
constexpr uint32_t TILE_FILL = 0xFFFFFF;
constexpr uint32_t BADGE = 0x005FB8;
constexpr uint32_t MISSING = 0xC81E1E;
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

    ToolbarState toolbar;
    ClipStore store;
};

TEST_F(ToolbarPainting, TheDockedHeaderHasItsSeparatorAndThreeButtons) {
    Canvas canvas(76, 700);
    paint(canvas);
    EXPECT_EQ(canvas.at(40, 300), BACKGROUND);
    EXPECT_EQ(canvas.at(0, 300), 0xC8C8C8u);  // the one-pixel frame
    for (int x = 4; x < 72; ++x) EXPECT_EQ(canvas.at(x, 75), SEPARATOR) << x;
    EXPECT_NE(canvas.at(3, 75), SEPARATOR);
    EXPECT_NE(canvas.at(72, 75), SEPARATOR);
    // Button frames: top edges at y = 46, 22 wide, starting at x = 3, 27 and 51.
    for (int left : {3, 27, 51}) {
        EXPECT_EQ(canvas.at(left + 11, 46), FRAME_BORDER) << left;
        EXPECT_EQ(canvas.at(left + 11, 46 + 21), FRAME_BORDER) << left;
        EXPECT_EQ(canvas.at(left, 46 + 11), FRAME_BORDER) << left;
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
    // The first tile at (14, 104) to (62, 152), the second one step (54) lower.
    EXPECT_EQ(canvas.at(38, 104), FRAME_BORDER);
    EXPECT_EQ(canvas.at(58, 148), TILE_FILL);  // no badge on a plain text
    EXPECT_EQ(canvas.at(38, 158), HOT_BORDER);
    EXPECT_EQ(canvas.at(15, 200), HOT_FILL);
    // The template badge (R - 26, B - 22, R - 2, B - 2) with R = 62, B = 206.
    EXPECT_EQ(canvas.at(62 - 24, 206 - 12), BADGE);
    EXPECT_EQ(canvas.at(62 - 4, 206 - 12), BADGE);
    EXPECT_EQ(canvas.at(62 - 28, 206 - 12), HOT_FILL);
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
    EXPECT_EQ(canvas.at(14 + 24, 104 + 24), MISSING);  // the stroke crosses the tile's centre
    EXPECT_EQ(canvas.at(62 - 18, 104 + 9), BADGE);     // the count badge (R - 20, T + 2, R - 2, T + 16)
    // The thumbnail area is (R - 20, B - 20, R - 4, B - 4): a 1 x 16 red column in its middle.
    const int area_left = 62 - 20, area_top = 206 - 20;
    EXPECT_EQ(canvas.at(area_left + 7, area_top + 8), 0xFF0000u);
    EXPECT_NE(canvas.at(area_left + 6, area_top + 8), 0xFF0000u);
    EXPECT_NE(canvas.at(area_left + 8, area_top + 8), 0xFF0000u);
}

Clip files_clip(size_t count, unsigned animal) {
    std::vector<FilePath> paths;
    for (size_t i = 0; i < count; ++i) paths.push_back(u"C:\\windows\\win.ini");
    Clip clip;
    clip.content = ClipContent::make_files(std::move(paths));
    clip.animal_index = animal;
    return clip;
}

// The inside of the count badge (R - 20, T + 2, R - 2, T + 16) of the tile at (left, top);
// its rounded corners show the picture behind.
std::vector<uint32_t> badge_pixels(const Canvas& canvas, int left, int top) {
    std::vector<uint32_t> out;
    for (int y = top + 2 + 2; y < top + 16 - 2; ++y)
        for (int x = left + 48 - 20 + 2; x < left + 48 - 2 - 2; ++x) out.push_back(canvas.at(x, y));
    return out;
}

TEST_F(ToolbarPainting, TheCountBadgeShowsTheNumberOfFilesUpTo99Plus) {
    for (size_t count : {size_t(1), size_t(9), size_t(99), size_t(100), size_t(250)}) store.recent.push_back(files_clip(count, unsigned(count % 30)));
    Canvas canvas(76, 700);
    paint(canvas);
    EXPECT_EQ(canvas.at(62 - 18, 104 + 9), TILE_FILL);  // one file: no count badge
    // A reference badge drawn with each expected text.
    const auto reference = [&](const char* text) {
        Canvas badge(76, 700);
        const RECT r{14 + 28, 104 + 2, 14 + 46, 104 + 16};
        const RECT all{0, 0, 76, 700};
        FillRect(badge.dc.get(), &all, HBRUSH(GetStockObject(WHITE_BRUSH)));  // the tile's own fill
        draw_rounded_rect(badge.dc.get(), r, RGB(0x00, 0x5F, 0xB8), RGB(0x00, 0x5F, 0xB8));
        SetBkMode(badge.dc.get(), TRANSPARENT);
        draw_text_in_rect(badge.dc.get(), text, r, toolbar.badge_font.get(), RGB(255, 255, 255),
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return badge_pixels(badge, 14, 104);
    };
    EXPECT_EQ(badge_pixels(canvas, 14, 104 + 54), reference("9"));
    EXPECT_EQ(badge_pixels(canvas, 14, 104 + 108), reference("99"));
    EXPECT_EQ(badge_pixels(canvas, 14, 104 + 162), reference("99+"));
    EXPECT_EQ(badge_pixels(canvas, 14, 104 + 216), reference("99+"));
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
        for (int x = 0; x < 36; ++x) ASSERT_EQ(canvas.at(18 + x, 108 + y), canvas.at(18 + x, 162 + y)) << x << "," << y;
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
