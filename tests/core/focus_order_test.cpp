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

}  // namespace
}  // namespace korvane
