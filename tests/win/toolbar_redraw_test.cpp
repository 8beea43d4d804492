// The docked strip keeps its picture between paints: a change asks for only what it touches to
// be painted again, and after any run of changes the window shows what a full paint draws.
#include <gtest/gtest.h>

#include <functional>

#include "../core/dib_builder.hpp"
#include "core/store.hpp"
#include "win/support/rects.hpp"
#include "win/toolbar/draw.hpp"
#include "win/toolbar/toolbar_input.hpp"
#include "win/toolbar/toolbar_paint.hpp"
#include "shell_fixture.hpp"

namespace korvane {
namespace {

using namespace shell_test;

// The client area's pixels, 0xRRGGBB: read back from the window, or as a full paint draws it now.
std::vector<uint32_t> pixels(HWND window, bool from_screen) {
    RECT client{};
    GetClientRect(window, &client);
    uint32_t* bits = nullptr;
    const OwnedBitmap bitmap = make_dib_section(client.right, client.bottom, bits);
    const OwnedDc dc(CreateCompatibleDC(nullptr));
    const Selected selected(dc.get(), bitmap.get());
    if (from_screen) {
        BitBlt(dc.get(), 0, 0, client.right, client.bottom, WindowDc(window).get(), 0, 0, SRCCOPY);
    } else {
        AppBorrow app = borrow_app();
        paint_toolbar(dc.get(), *toolbar_for(*app, window), app->store, client.right, client.bottom);
    }
    GdiFlush();
    std::vector<uint32_t> rgb(bits, bits + size_t(client.right) * size_t(client.bottom));
    for (uint32_t& p : rgb) p &= 0xFFFFFF;
    return rgb;
}

class ToolbarRedraw : public Shell, public testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        Shell::SetUp();
        if (AppBorrow app = borrow_app()) {
            for (uint32_t i = 0; i < RECENT_CAPACITY; ++i)
                record_capture(app->store, i % 3 == 1 ? ClipContent::make_image(test::solid_dib(40, 30, 0xFF00FF * i))
                                                      : ClipContent::make_text("recent " + std::to_string(i)));
            for (unsigned i = 0; i < 12; ++i)
                app->store.pins.push_back({.content = i % 4 == 3 ? ClipContent::make_files({u"C:\\windows\\win.ini", u"C:\\x"})
                                                                 : ClipContent::make_text("pin " + std::to_string(i)),
                                           .animal_index = i});
        }
        RECT suggested{0, 0, docked_strip_width(GetParam()), 500};
        SendMessageW(docked, WM_DPICHANGED, MAKEWPARAM(GetParam(), GetParam()), reinterpret_cast<LPARAM>(&suggested));
        refresh_all_toolbars();
        UpdateWindow(docked);
    }
    std::vector<ToolbarItem> items() const {
        AppBorrow app = borrow_app();
        return toolbar_items(shape_of(*toolbar_for(*app, docked), app->store).layout);
    }
    POINT middle_of(HitKind kind, uint64_t index, int down = 0) const {
        for (const ToolbarItem& item : items())
            if (item.target == HitTarget{kind, index})
                return POINT{(item.rect.left + item.rect.right) / 2, (item.rect.top + item.rect.bottom) / 2 + down};
        return {};
    }
    void move_to(POINT at, WPARAM keys = 0) const { on_mouse_move(docked, keys, at); }
};

TEST_P(ToolbarRedraw, AChangeRepaintsOnlyWhatItTouchesAndTheWindowThenShowsAFullPaint) {
    constexpr size_t ANY = ~size_t{0};
    const POINT grabbed = middle_of(HitKind::RecentTile, 2);
    const struct {
        const char* what;
        std::function<void()> make;
        size_t items_touched_at_most;  // of the strip's tiles and buttons
    } changes[] = {
        {"hover on a tile", [&] { move_to(middle_of(HitKind::RecentTile, 0)); }, 1},
        {"hover on the next", [&] { move_to(middle_of(HitKind::RecentTile, 1)); }, 2},
        {"hover on a button", [&] { move_to(middle_of(HitKind::SettingsButton, 0)); }, 2},
        {"the pointer leaves", [&] { SendMessageW(docked, WM_MOUSELEAVE, 0, 0); }, 1},
        {"a drag starts", [&] { on_left_button_down(docked, grabbed), move_to({grabbed.x + 3, grabbed.y + 12}, MK_LBUTTON); }, 5},
        {"the drag moves on", [&] { move_to({grabbed.x - 2, grabbed.y + 40}, MK_LBUTTON); }, 5},
        {"the drag goes further", [&] { move_to(middle_of(HitKind::RecentTile, 5, 5), MK_LBUTTON); }, 5},
        {"the drag is cancelled", [&] { on_capture_changed(docked, nullptr); }, 5},
        {"the wheel scrolls", [&] { on_mouse_wheel(docked, -240); }, ANY},
        {"hover after the scroll", [&] { move_to(middle_of(HitKind::RecentTile, 4)); }, 1},
        {"a new clip", [&] {
             if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text("a new clip"));
             refresh_all_toolbars();
         }, ANY},
    };
    RECT client{};
    GetClientRect(docked, &client);
    for (const auto& change : changes) {
        SCOPED_TRACE(change.what);
        const std::vector<uint32_t> before = pixels(docked, false);
        change.make();
        const std::vector<uint32_t> after = pixels(docked, false);
        const OwnedRegion asked(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(docked, asked.get(), FALSE);
        size_t unasked = 0;
        for (size_t i = 0; i < after.size(); ++i)
            unasked += before[i] != after[i] && !PtInRegion(asked.get(), int(i % client.right), int(i / client.right));
        EXPECT_EQ(unasked, 0u) << "pixels that changed outside the part asked to be repainted";
        size_t touched = 0;
        for (const ToolbarItem& item : items()) {
            const RECT r = to_rect(item.rect);
            touched += RectInRegion(asked.get(), &r) ? 1 : 0;
        }
        if (change.items_touched_at_most != ANY) EXPECT_LE(touched, change.items_touched_at_most);
        UpdateWindow(docked);
        EXPECT_TRUE(pixels(docked, true) == after) << "the window is unlike a full paint";
    }
}

INSTANTIATE_TEST_SUITE_P(AtTwoDpis, ToolbarRedraw, testing::Values(96u, 192u));

}  // namespace
}  // namespace korvane
