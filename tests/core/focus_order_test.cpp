#include <gtest/gtest.h>

#include "core/focus_order.hpp"
#include "toolbar_layouts.hpp"

namespace korvane {
namespace {

TEST(KeyboardFocus, ArrowsFollowTheGridAndTabJumpsBetweenGroups) {
    const ToolbarLayout grid = popup(96, 12, 3);  // two Recent rows (10 + 2), one row of 3 pins
    const HitTarget r0{HitKind::RecentTile, 0}, r1{HitKind::RecentTile, 1}, r9{HitKind::RecentTile, 9};
    const HitTarget r10{HitKind::RecentTile, 10}, p0{HitKind::PinnedTile, 0};
    EXPECT_EQ(moved_focus(grid, std::nullopt, FocusMove::Right), r0);  // no focus yet: the first item
    EXPECT_EQ(moved_focus(grid, r0, FocusMove::Right), r1);
    EXPECT_EQ(moved_focus(grid, r1, FocusMove::Left), r0);
    EXPECT_EQ(moved_focus(grid, r0, FocusMove::Left), r0);  // nothing further: it stays
    EXPECT_EQ(moved_focus(grid, r0, FocusMove::Down), r10);
    EXPECT_EQ(moved_focus(grid, r10, FocusMove::Down), p0);
    // Straight below the last column is the Pinned title row's "+ New text", not the far tile.
    EXPECT_EQ(moved_focus(grid, r9, FocusMove::Down), (HitTarget{HitKind::NewTextButton, 0}));
    EXPECT_EQ(moved_focus(grid, (HitTarget{HitKind::RecentTile, 2}), FocusMove::Down), (HitTarget{HitKind::PinnedTile, 2}));
    EXPECT_EQ(moved_focus(grid, p0, FocusMove::Up), r10);
    EXPECT_EQ(moved_focus(grid, r9, FocusMove::NextGroup), p0);
    EXPECT_EQ(moved_focus(grid, p0, FocusMove::NextGroup), (HitTarget{HitKind::SettingsButton, 0}));
    EXPECT_EQ(moved_focus(grid, (HitTarget{HitKind::NewTextButton, 0}), FocusMove::NextGroup), r0);
    EXPECT_EQ(moved_focus(grid, p0, FocusMove::PreviousGroup), r0);
    EXPECT_EQ(moved_focus(grid, r0, FocusMove::PreviousGroup), (HitTarget{HitKind::SettingsButton, 0}));

    // Docked, one column: an empty group is skipped; the header's buttons are a row of three.
    const ToolbarLayout strip = docked(96, 2, 0);
    EXPECT_EQ(moved_focus(strip, r1, FocusMove::NextGroup), (HitTarget{HitKind::NewTextButton, 0}));
    EXPECT_EQ(moved_focus(strip, r0, FocusMove::Down), r1);
    EXPECT_EQ(moved_focus(strip, (HitTarget{HitKind::NewTextButton, 0}), FocusMove::Right),
              (HitTarget{HitKind::SettingsButton, 0}));
    EXPECT_EQ(moved_focus(strip, r0, FocusMove::Up), (HitTarget{HitKind::SettingsButton, 0}));  // straight above
    EXPECT_FALSE(moved_focus(make_layout({.docked = false}, {}, 96, 0, 0), std::nullopt, FocusMove::Right) ==
                 std::optional<HitTarget>{});  // the popup's buttons are always there
}

TEST(KeyboardFocus, HomeEndAndThePageKeysStayInTheFocusedGroup) {
    const ToolbarLayout strip = docked(96, 10, 5, 300);  // (300 - 76) / 54: four rows a page
    const auto r = [](uint64_t i) { return HitTarget{HitKind::RecentTile, i}; };
    const auto p = [](uint64_t i) { return HitTarget{HitKind::PinnedTile, i}; };
    const HitTarget settings{HitKind::SettingsButton, 0};
    struct Case {
        ToolbarLayout layout;
        HitTarget from;
        FocusMove move;
        HitTarget to;
    };
    const Case cases[] = {
        {strip, r(5), FocusMove::First, r(0)},    {strip, r(5), FocusMove::Last, r(9)},
        {strip, p(2), FocusMove::First, p(0)},    {strip, p(2), FocusMove::Last, p(4)},
        {strip, r(0), FocusMove::PageDown, r(4)}, {strip, r(4), FocusMove::PageDown, r(8)},
        {strip, r(8), FocusMove::PageDown, r(9)},  // the group ends before the page does
        {strip, r(9), FocusMove::PageDown, r(9)}, {strip, r(9), FocusMove::PageUp, r(5)},
        {strip, r(2), FocusMove::PageUp, r(0)},   {strip, p(0), FocusMove::PageUp, p(0)},
        {strip, settings, FocusMove::Last, HitTarget{HitKind::ClearButton, 0}},
        // The popup shows every row: a page reaches the group's first or last row.
        {popup(96, 10, 20), p(3), FocusMove::PageDown, p(13)}, {popup(96, 10, 20), p(13), FocusMove::PageUp, p(3)},
        {popup(96, 10, 20), p(12), FocusMove::Last, p(19)}, {popup(96, 10, 20), r(4), FocusMove::PageDown, r(4)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(moved_focus(c.layout, c.from, c.move), c.to)
            << int(c.from.kind) << ":" << c.from.index << " move " << int(c.move);
}

}  // namespace
}  // namespace korvane
