// The docked strip keeps its picture between paints: a change asks for only what it touches to
// be painted again, and after any run of changes the window shows what a full paint draws.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../core/dib_builder.hpp"
#include "core/store.hpp"
#include "win/app/app.hpp"
#include "win/support/rects.hpp"
#include "win/toolbar/draw.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/toolbar/toolbar_input.hpp"
#include "win/toolbar/toolbar_paint.hpp"
#include "shell_fixture.hpp"

namespace korvane {
namespace {

using namespace shell_test;

// A window's client area as pixels, 0xRRGGBB, rows top to bottom.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
};

// Pixels of whatever `draw` puts into a fresh bitmap of the client's size.
Pixels drawn(HWND window, const std::function<void(HDC, int, int)>& draw) {
    RECT client{};
    GetClientRect(window, &client);
    Pixels pixels{client.right, client.bottom, {}};
    uint32_t* bits = nullptr;
    const OwnedBitmap bitmap = make_dib_section(pixels.width, pixels.height, bits);
    const OwnedDc dc(CreateCompatibleDC(nullptr));
    {
        const Selected selected(dc.get(), bitmap.get());
        draw(dc.get(), pixels.width, pixels.height);
        GdiFlush();
    }
    for (size_t i = 0; i < size_t(pixels.width) * size_t(pixels.height); ++i) pixels.rgb.push_back(bits[i] & 0xFFFFFF);
    return pixels;
}

// What the window shows: its client area read back.
Pixels shown(HWND window) {
    return drawn(window, [&](HDC dc, int width, int height) {
        const WindowDc screen(window);
        BitBlt(dc, 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    });
}

// What a paint of the whole strip from nothing draws for its state now.
Pixels full_paint(HWND window) {
    return drawn(window, [&](HDC dc, int width, int height) {
        AppBorrow app = borrow_app();
        paint_toolbar(dc, *toolbar_for(*app, window), app->store, width, height);
    });
}

class ToolbarRedraw : public Shell, public testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        Shell::SetUp();
        if (AppBorrow app = borrow_app()) {
            for (uint32_t i = 0; i < RECENT_CAPACITY; ++i)
                record_capture(app->store, i % 3 == 1 ? ClipContent::make_image(test::solid_dib(40, 30, 0xFF00FF * i))
                                                      : ClipContent::make_text("recent " + std::to_string(i)));
            for (unsigned i = 0; i < 12; ++i) {
                Clip pin;
                pin.content = i % 4 == 3 ? ClipContent::make_files({u"C:\\windows\\win.ini", u"C:\\gone.txt"})
                                         : ClipContent::make_text("pin " + std::to_string(i));
                pin.animal_index = i;
                app->store.pins.push_back(std::move(pin));
            }
        }
        const unsigned dpi = GetParam();
        RECT suggested{0, 0, docked_strip_width(dpi), 500};
        SendMessageW(docked, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        refresh_all_toolbars();
        UpdateWindow(docked);
    }

    ToolbarLayout layout() const {
        AppBorrow app = borrow_app();
        return shape_of(*toolbar_for(*app, docked), app->store).layout;
    }
    POINT middle_of(HitKind kind, uint64_t index) const {
        for (const ToolbarItem& item : toolbar_items(layout()))
            if (item.target == HitTarget{kind, index})
                return POINT{(item.rect.left + item.rect.right) / 2, (item.rect.top + item.rect.bottom) / 2};
        ADD_FAILURE() << "no item of kind " << int(kind) << " at " << index;
        return {};
    }
    void move_to(POINT at, bool button_down = false) const {
        on_mouse_move(docked, button_down ? MK_LBUTTON : 0, at);
    }
};

// A change, and how many of the strip's tiles and buttons its repaint may reach; any number for
// a change that moves everything.
struct Change {
    const char* what;
    std::function<void()> make;
    size_t items_touched_at_most;
};
constexpr size_t ANY = ~size_t{0};

TEST_P(ToolbarRedraw, AChangeRepaintsOnlyWhatItTouchesAndTheWindowThenShowsAFullPaint) {
    POINT grabbed{};
    const Change changes[] = {
        {"hover on a tile", [this] { move_to(middle_of(HitKind::RecentTile, 0)); }, 1},
        {"hover on the next", [this] { move_to(middle_of(HitKind::RecentTile, 1)); }, 2},
        {"hover on another", [this] { move_to(middle_of(HitKind::RecentTile, 6)); }, 2},
        {"hover on a button", [this] { move_to(middle_of(HitKind::SettingsButton, 0)); }, 2},
        {"the pointer leaves", [this] { SendMessageW(docked, WM_MOUSELEAVE, 0, 0); }, 1},
        {"a drag starts",
         [&] {
             grabbed = middle_of(HitKind::RecentTile, 2);
             on_left_button_down(docked, grabbed);
             move_to(POINT{grabbed.x + 3, grabbed.y + 12}, true);
         },
         5},
        {"the drag moves on", [&] { move_to(POINT{grabbed.x - 2, grabbed.y + 40}, true); }, 5},
        {"the drag goes further",
         [&] {
             const POINT further = middle_of(HitKind::RecentTile, 5);
             move_to(POINT{further.x, further.y + 5}, true);
         },
         5},
        {"the drag is cancelled", [this] { on_capture_changed(docked, nullptr); }, 5},
        {"the wheel scrolls", [this] { on_mouse_wheel(docked, -240); }, ANY},
        {"hover after the scroll", [this] { move_to(middle_of(HitKind::RecentTile, 4)); }, 1},
        {"a new clip",
         [this] {
             if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text("a new clip"));
             refresh_all_toolbars();
         },
         ANY},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const Pixels before = full_paint(docked);
        change.make();
        const Pixels after = full_paint(docked);
        const OwnedRegion asked(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(docked, asked.get(), FALSE);
        size_t unasked = 0;
        for (int y = 0; y < after.height; ++y)
            for (int x = 0; x < after.width; ++x) {
                const size_t i = size_t(y) * size_t(after.width) + size_t(x);
                if (before.rgb[i] != after.rgb[i] && !PtInRegion(asked.get(), x, y)) ++unasked;
            }
        EXPECT_EQ(unasked, 0u) << "pixels that changed outside the repainted part";
        if (change.items_touched_at_most != ANY) {
            size_t touched = 0;
            for (const ToolbarItem& item : toolbar_items(layout())) {
                const RECT r = to_rect(item.rect);
                touched += RectInRegion(asked.get(), &r) ? 1 : 0;
            }
            EXPECT_LE(touched, change.items_touched_at_most);
        }
        UpdateWindow(docked);
        const Pixels on_screen = shown(docked);
        ASSERT_EQ(on_screen.rgb.size(), after.rgb.size());
        size_t differing = 0;
        for (size_t i = 0; i < after.rgb.size(); ++i) differing += on_screen.rgb[i] != after.rgb[i] ? 1 : 0;
        EXPECT_EQ(differing, 0u) << "pixels of the window unlike a full paint";
    }
}

INSTANTIATE_TEST_SUITE_P(AtTwoDpis, ToolbarRedraw, testing::Values(96u, 192u));

}  // namespace
}  // namespace korvane
