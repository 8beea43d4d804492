// The toolbars' geometry at 96, 120, 144 and 192 dpi: sections, tiles, buttons, hit targets,
// drops, scrolling and tooltip texts.  One file, since every case builds the same layouts and
// the rules lean on each other (a tile's place follows from the section above it).
#include <gtest/gtest.h>

#include <cstring>

#include "core/layout.hpp"
#include "core/tooltip_text.hpp"
#include "dib_builder.hpp"
#include "toolbar_layouts.hpp"

namespace korvane {
namespace {

constexpr auto R = Area::Recent;
constexpr auto P = Area::Pinned;

TEST(Scale, TruncatesEachConstantOnItsOwnTowardZero) {
    struct Case {
        int32_t dips;
        uint32_t dpi;
        int32_t pixels;
    } cases[] = {
        {48, 96, 48}, {76, 144, 114}, {1, 144, 1}, {75, 144, 112}, {6, 120, 7},
        {22, 192, 44}, {-5, 144, -7}, {-6, 120, -7}, {0, 144, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(scale(c.dips, c.dpi), c.pixels) << c.dips << " at " << c.dpi;
    EXPECT_EQ(scale(76, 144) - scale(1, 144), 113);
}

TEST(DockedLayout, PlacesSectionsAndTilesAtEachDpi) {
    // Two Recent clips, three pins.  At 120 dpi summing the constants before scaling would put
    // the first tile at 130 instead of 129.
    struct Case {
        uint32_t dpi;
        int32_t recent_title, recent_tiles, tile_left, second_tile_top, pinned_title, pinned_tiles;
    } cases[] = {
        {96, 82, 104, 14, 158, 216, 238},
        {144, 123, 156, 21, 237, 324, 357},
        {120, 102, 129, 17, 196, 268, 295},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const ToolbarLayout layout = docked(c.dpi, 2, 3);
        EXPECT_EQ(section_top(layout, R), c.recent_title);
        EXPECT_EQ(tiles_top(layout, R), c.recent_tiles);
        const Rect second = tile_rect(layout, R, 1);
        EXPECT_EQ(second, (Rect{c.tile_left, c.second_tile_top, c.tile_left + layout.tile, c.second_tile_top + layout.tile}));
        EXPECT_EQ(section_top(layout, P), c.pinned_title);
        EXPECT_EQ(tiles_top(layout, P), c.pinned_tiles);
        EXPECT_EQ(content_size(layout), (Size{scale(76, c.dpi), 600}));
    }
    const ToolbarLayout layout = docked(96, 2, 3);
    EXPECT_EQ(header_height(layout), 76);
    EXPECT_EQ(tile_rect(layout, P, 2), (Rect{14, 346, 62, 394}));
    EXPECT_EQ(title_rect(layout, R), (Rect{6, 82, 74, 100}));
    EXPECT_EQ(title_rect(layout, P), (Rect{6, 216, 74, 234}));
    EXPECT_EQ(section_top(docked(96, 2, 3, 600, 30), R), 52);  // the sections scroll, the header does not
}

TEST(PopupLayout, IsFiveToTenColumnsWide) {
    struct Case {
        uint64_t recent, pins;
        int32_t width;
    } cases[] = {
        {0, 0, 284}, {2, 6, 338}, {7, 0, 392}, {3, 14, 554}, {0, 20, 554}, {10, 3, 554},
    };
    for (const Case& c : cases)
        EXPECT_EQ(content_width(popup(96, c.recent, c.pins)), c.width) << c.recent << " recent, " << c.pins << " pins";
    EXPECT_EQ(content_width(popup(144, 0, 0)), 426);
}

TEST(PopupLayout, EmptyPopupHasRoomForBothEmptyStates) {
    const ToolbarLayout small = popup(96, 0, 0);
    EXPECT_EQ(section_top(small, R), 44);
    EXPECT_EQ(tiles_top(small, R), 68);
    EXPECT_EQ(section_top(small, P), 108);
    EXPECT_EQ(tiles_top(small, P), 132);
    EXPECT_EQ(content_size(small), (Size{284, 132 + 28 + 10}));
    EXPECT_EQ(empty_rect(small, R), (Rect{10, 68, 274, 96}));
    EXPECT_EQ(empty_rect(small, P), (Rect{10, 132, 274, 160}));
    EXPECT_EQ(title_rect(small, R), (Rect{12, 44, 274, 64}));
    EXPECT_EQ(title_rect(small, P), (Rect{12, 108, 274, 128}));

    const ToolbarLayout large = popup(144, 0, 0);
    EXPECT_EQ(section_top(large, P), 162);
    EXPECT_EQ(content_size(large), (Size{426, 255}));
    EXPECT_EQ(empty_rect(large, P), (Rect{15, 198, 411, 240}));
}

TEST(PopupLayout, PinsWrapAfterTenColumns) {
    const ToolbarLayout layout = popup(96, 3, 14);
    EXPECT_EQ(tile_rect(layout, R, 2), (Rect{118, 68, 166, 116}));
    EXPECT_EQ(section_top(layout, P), 128);
    EXPECT_EQ(tile_rect(layout, P, 9), (Rect{496, 152, 544, 200}));
    EXPECT_EQ(tile_rect(layout, P, 13), (Rect{172, 206, 220, 254}));  // second row
    EXPECT_EQ(content_size(layout), (Size{554, 152 + 102 + 10}));
}

TEST(BlockHeight, CountsRowsAndGivesEmptySectionsTheirArea) {
    struct Case {
        bool docked;
        uint32_t dpi;
        uint64_t n;
        int32_t height;
    } cases[] = {
        {true, 96, 0, 48}, {false, 96, 0, 28}, {true, 144, 0, 72}, {false, 144, 0, 42},
        {true, 96, 1, 48}, {true, 96, 3, 156}, {false, 96, 10, 48}, {false, 96, 11, 102},
        {false, 96, 20, 102}, {true, 144, 2, 153},
    };
    for (const Case& c : cases) {
        const ToolbarLayout layout = make_layout({.docked = c.docked}, {}, c.dpi, 0, 0);
        EXPECT_EQ(block_height(layout, c.n), c.height) << (c.docked ? "docked " : "popup ") << c.n << " at " << c.dpi;
    }
    const ToolbarLayout empty = docked(96, 0, 0);
    EXPECT_EQ(empty_rect(empty, R), (Rect{4, 104, 72, 152}));
    EXPECT_EQ(empty_rect(empty, P), (Rect{4, 184, 72, 232}));
}

TEST(MaxScroll, IsTheOverflowOfTheDockedContent) {
    EXPECT_EQ(max_scroll(docked(96, 10, 20, 600)), 1154);  // content 1754 high
    EXPECT_EQ(max_scroll(docked(96, 10, 20, 600, 300)), 1154);
    EXPECT_EQ(max_scroll(docked(96, 2, 3, 404)), 0);  // exactly fits
    EXPECT_EQ(max_scroll(docked(96, 2, 3, 403)), 1);
    EXPECT_EQ(max_scroll(docked(96, 2, 3, 600)), 0);
    EXPECT_EQ(max_scroll(make_layout({.docked = false}, {554, 50}, 96, 10, 20)), 0);
}

TEST(InTileRegion, IsTheContentBelowTheDockedHeader) {
    struct Case {
        bool docked;
        int32_t x, y;
        bool inside;
    } cases[] = {
        {true, 0, 76, true},   {true, 0, 75, false},   {true, 75, 599, true}, {true, 76, 100, false},
        {true, -1, 100, false}, {true, 10, 600, false}, {false, 0, 0, true},  {false, 283, 169, true},
        {false, 284, 10, false}, {false, 10, 170, false}, {false, 10, -1, false},
    };
    for (const Case& c : cases) {
        const ToolbarLayout layout = c.docked ? docked(96, 0, 0) : popup(96, 0, 0);
        EXPECT_EQ(in_tile_region(layout, c.x, c.y), c.inside) << (c.docked ? "docked " : "popup ") << c.x << "," << c.y;
    }
}

TEST(Buttons, DockedHeaderRowAndClearButton) {
    using enum HitKind;
    EXPECT_EQ(button_list(docked(96, 0, 0)),
              (std::vector<Button>{{NewTextButton, {3, 46, 25, 68}},
                                   {SettingsButton, {27, 46, 49, 68}},
                                   {MinimizeButton, {51, 46, 73, 68}},
                                   {ClearButton, {52, 82, 70, 100}}}));
    EXPECT_EQ(button_list(docked(144, 0, 0)),
              (std::vector<Button>{{NewTextButton, {4, 69, 37, 102}},
                                   {SettingsButton, {40, 69, 73, 102}},
                                   {MinimizeButton, {76, 69, 109, 102}},
                                   {ClearButton, {78, 123, 105, 150}}}));
    EXPECT_EQ(button_list(docked(120, 0, 0)),
              (std::vector<Button>{{NewTextButton, {5, 57, 32, 84}},
                                   {SettingsButton, {34, 57, 61, 84}},
                                   {MinimizeButton, {63, 57, 90, 84}},
                                   {ClearButton, {66, 102, 88, 124}}}));
}

TEST(Buttons, DockedClearButtonGoesOnceItsTitleScrollsUnderTheHeader) {
    const std::vector<Button> at_edge = button_list(docked(96, 10, 20, 600, 6));
    ASSERT_EQ(at_edge.size(), 4u);
    EXPECT_EQ(at_edge.back(), (Button{HitKind::ClearButton, {52, 76, 70, 94}}));
    const std::vector<Button> under = button_list(docked(96, 10, 20, 600, 7));
    ASSERT_EQ(under.size(), 3u);
    EXPECT_EQ(under.back().kind, HitKind::MinimizeButton);
}

// Screen readers keep the Clear button at the end of the list, where it is whatever the scroll,
// so every item keeps its child id.
TEST(Buttons, ReadersStillFindTheScrolledClearButtonLastInTheList) {
    const std::vector<ToolbarItem> shown = accessible_items(docked(96, 10, 20, 600, 6));
    const std::vector<ToolbarItem> under = accessible_items(docked(96, 10, 20, 600, 7));
    ASSERT_EQ(shown.size(), 34u);
    ASSERT_EQ(under.size(), 34u);
    EXPECT_EQ(shown.back(), (ToolbarItem{{HitKind::ClearButton, 0}, {52, 76, 70, 94}}));
    EXPECT_EQ(under.back(), (ToolbarItem{{HitKind::ClearButton, 0}, {52, 75, 70, 93}}));
    for (size_t i = 0; i + 1 < under.size(); ++i) EXPECT_EQ(under[i].target, shown[i].target) << i;
    EXPECT_EQ(accessible_items(popup(96, 3, 2)), toolbar_items(popup(96, 3, 2)));
}

// Twice the system's focus border, in DIPs, between 2 and 12 of them.
TEST(FocusFrame, FollowsTheSystemsFocusBorderWidthScaledForTheDpi) {
    const struct {
        uint32_t dpi;
        int32_t system_border;
        int32_t width;
    } cases[] = {{96, 1, 2}, {96, 0, 2}, {96, 2, 4}, {96, 3, 6}, {96, 40, 12}, {144, 1, 3}, {144, 2, 6}, {192, 3, 12}};
    for (const auto& c : cases)
        EXPECT_EQ(focus_frame_width(docked(c.dpi, 1, 0), c.system_border), c.width) << c.dpi << " " << c.system_border;
    EXPECT_EQ(focus_frame_rect(docked(96, 1, 0), {14, 104, 62, 152}), (Rect{11, 101, 65, 155}));
}

TEST(Buttons, PopupHasNoMinimizeButton) {
    using enum HitKind;
    EXPECT_EQ(button_list(popup(96, 0, 0)),
              (std::vector<Button>{{SettingsButton, {248, 12, 274, 38}},
                                   {ClearButton, {202, 45, 274, 63}},
                                   {NewTextButton, {178, 109, 274, 127}}}));
    EXPECT_EQ(button_list(popup(144, 0, 0)),
              (std::vector<Button>{{SettingsButton, {372, 18, 411, 57}},
                                   {ClearButton, {303, 67, 411, 94}},
                                   {NewTextButton, {267, 163, 411, 190}}}));
}

struct HitCase {
    int32_t x, y;
    HitTarget target;
};

void expect_hits(const ToolbarLayout& layout, std::initializer_list<HitCase> cases) {
    for (const HitCase& c : cases)
        EXPECT_EQ(hit_test(layout, c.x, c.y), c.target) << c.x << "," << c.y << " gives kind "
                                                        << int64_t(hit_test(layout, c.x, c.y).kind);
}

TEST(HitTest, DockedTilesAndButtonsAreHalfOpen) {
    using enum HitKind;
    const HitTarget none;
    expect_hits(docked(96, 2, 3),
                {
                    {14, 104, {RecentTile, 0}}, {61, 151, {RecentTile, 0}}, {62, 104, none}, {13, 104, none},
                    {14, 152, none},  // the gap between two tiles
                    {14, 157, none},  {14, 158, {RecentTile, 1}}, {14, 238, {PinnedTile, 0}},
                    {61, 393, {PinnedTile, 2}}, {14, 394, none},
                    {3, 46, {NewTextButton, 0}}, {24, 67, {NewTextButton, 0}}, {25, 50, none},
                    {30, 60, {SettingsButton, 0}}, {72, 60, {MinimizeButton, 0}},
                    {52, 82, {ClearButton, 0}}, {69, 99, {ClearButton, 0}}, {70, 82, none},
                    {14, 20, none},  // the word mark
                });
}

TEST(HitTest, DockedHeaderCoversScrolledTilesAndClearButton) {
    using enum HitKind;
    // Scrolled by 40: the first tile spans 64 to 112 and the ClearButton would be at 42 to 60.
    expect_hits(docked(96, 2, 3, 600, 40), {{20, 70, {}}, {20, 76, {RecentTile, 0}}, {60, 45, {}}});
    // Tiles below the client area are not hit, even where a tile is still partly visible.
    expect_hits(docked(96, 3, 0, 200), {{20, 199, {RecentTile, 1}}, {20, 200, {}}, {20, 215, {}}});
}

TEST(HitTest, PopupGridButtonsAndMissingTiles) {
    using enum HitKind;
    expect_hits(popup(96, 3, 14),
                {
                    {57, 70, {RecentTile, 0}}, {60, 70, {}}, {64, 70, {RecentTile, 1}},
                    {172, 206, {PinnedTile, 13}}, {226, 206, {}},  // no 15th pin
                    {180, 70, {}},                                 // no 4th Recent clip
                    {520, 20, {SettingsButton, 0}}, {540, 50, {ClearButton, 0}}, {460, 130, {NewTextButton, 0}},
                });
}

struct DropCase {
    int32_t x, y;
    std::optional<DropTarget> target;
};

void expect_drops(const ToolbarLayout& layout, std::initializer_list<DropCase> cases) {
    for (const DropCase& c : cases) {
        const std::optional<DropTarget> got = drop_target_at(layout, c.x, c.y);
        EXPECT_EQ(got, c.target) << c.x << "," << c.y << " gives "
                                 << (got ? std::to_string(int(got->section)) + "/" + std::to_string(got->index) : "none");
    }
}

TEST(DropTarget, DockedInsertsAtTheNearestGap) {
    // Three Recent clips (tiles from 104), Pinned title at 270, two pins from 292.
    expect_drops(docked(96, 3, 2),
                 {
                     {20, 76, DropTarget{R, 0}},  {20, 104, DropTarget{R, 0}}, {20, 130, DropTarget{R, 0}},
                     {20, 131, DropTarget{R, 1}}, {20, 185, DropTarget{R, 2}}, {20, 269, DropTarget{R, 3}},
                     {20, 270, DropTarget{P, 0}},  // the Pinned title row
                     {20, 291, DropTarget{P, 0}}, {20, 319, DropTarget{P, 1}}, {20, 500, DropTarget{P, 2}},
                     {20, 75, std::nullopt},  // the header
                     {76, 200, std::nullopt}, {20, 600, std::nullopt},
                 });
    // At 144 dpi the step is 81 and its half 40: a point 40 pixels into the first tile is still
    // above its middle.
    expect_drops(docked(144, 3, 0, 900), {{30, 196, DropTarget{R, 0}}, {30, 197, DropTarget{R, 1}}});
}

TEST(DropTarget, PopupClampsRowsAndColumns) {
    // Ten Recent clips fill one row; fourteen pins make two rows from y 152; content 554 x 264.
    expect_drops(popup(96, 10, 14),
                 {
                     {0, 80, DropTarget{R, 0}},   {36, 80, DropTarget{R, 0}}, {37, 80, DropTarget{R, 1}},
                     {553, 80, DropTarget{R, 10}},   // after the last tile of the full row
                     {100, 127, DropTarget{R, 2}},   // below the tiles: still the last row
                     {100, 128, DropTarget{P, 2}},   // the Pinned title row
                     {182, 216, DropTarget{P, 13}},  // second row
                     {300, 263, DropTarget{P, 14}},  // under the last row, clamped to the count
                     {554, 80, std::nullopt}, {20, 264, std::nullopt},
                 });
    // Column 10 is clamped to the count when the row is not full.
    expect_drops(popup(96, 7, 10), {{553, 80, DropTarget{R, 7}}, {553, 160, DropTarget{P, 10}}});
    // An empty Pinned section takes every drop at index 0.
    expect_drops(popup(96, 10, 0), {{300, 160, DropTarget{P, 0}}});
    // The row is the one the point is in, not the nearest: the lower half of the first of two
    // rows (pins from y 152, step 54) is still the first row.
    expect_drops(popup(96, 10, 14), {{20, 152 + 40, DropTarget{P, 0}}, {20, 152 + 54, DropTarget{P, 10}}});
}

TEST(DropBar, SitsInTheGapBeforeTheInsertionPointOrAcrossAnEmptySection) {
    const ToolbarLayout strip = docked(96, 3, 0);
    // Centred in the 6-pixel gap above the second tile (at 158): 3 thick, half of it 1.
    EXPECT_EQ(drop_bar_rect(strip, {R, 1}), (Rect{6, 154, 70, 157}));
    EXPECT_EQ(drop_bar_rect(strip, {R, 0}), (Rect{6, 100, 70, 103}));
    // The empty Pinned section (empty area from 292, 48 high) has it across its middle.
    EXPECT_EQ(drop_bar_rect(strip, {P, 0}), (Rect{4, 292 + 24 - 1, 72, 292 + 24 + 2}));

    const ToolbarLayout grid = popup(96, 10, 4);
    EXPECT_EQ(drop_bar_rect(grid, {R, 3}), (Rect{10 + 3 * 54 - 4, 68, 10 + 3 * 54 - 1, 116}));
    // After the last tile of the full first row: column 10 of that row, not column 0 of the next.
    EXPECT_EQ(drop_bar_rect(grid, {R, 10}), (Rect{10 + 10 * 54 - 4, 68, 10 + 10 * 54 - 1, 116}));
    EXPECT_EQ(drop_bar_rect(popup(144, 0, 0), {R, 0}).bottom - drop_bar_rect(popup(144, 0, 0), {R, 0}).top, 4);
}

TEST(DockedScrolling, TheThumbSpansItsTrackAndADragScrollsNearTheEdges) {
    const auto strip = [](int32_t scroll) { return docked(96, 10, 20, 600, scroll); };
    EXPECT_FALSE(scroll_thumb_rect(docked(96, 2, 2)).has_value());  // it fits: no thumb
    const int32_t most = max_scroll(strip(0));
    ASSERT_GT(most, 0);
    const Rect top = *scroll_thumb_rect(strip(0));
    const Rect bottom = *scroll_thumb_rect(strip(most));
    EXPECT_EQ(top.top, 76 + 4);
    EXPECT_EQ(bottom.bottom, 600 - 4);
    EXPECT_EQ(top.bottom - top.top, bottom.bottom - bottom.top);
    EXPECT_GE(top.bottom - top.top, 24);
    EXPECT_EQ(top.left, 76 - 5);
    EXPECT_EQ(top.right, 76 - 2);

    // Within 24 pixels below the header, or of the bottom, a drag scrolls by 12.
    EXPECT_EQ(auto_scrolled(strip(30), 76 + 23), 18);
    EXPECT_EQ(auto_scrolled(strip(5), 76 + 23), 0);
    EXPECT_EQ(auto_scrolled(strip(30), 76 + 24), 30);
    EXPECT_EQ(auto_scrolled(strip(30), 600 - 24), 30);
    EXPECT_EQ(auto_scrolled(strip(30), 600 - 23), 42);
    EXPECT_EQ(auto_scrolled(strip(most - 5), 599), most);
    EXPECT_EQ(auto_scrolled(popup(96, 10, 20), 1), 0);
}

TEST(DockedHeader, HasItsLineAndTheWordMarkIsCentred) {
    EXPECT_EQ(header_separator_rect(docked(96, 0, 0)), (Rect{4, 75, 72, 76}));
    EXPECT_EQ(header_separator_rect(docked(144, 0, 0)), (Rect{6, 113, 108, 114}));
    EXPECT_EQ(word_mark_origin(docked(96, 0, 0), 0, 50), (Point{13, 21}));
    EXPECT_EQ(word_mark_origin(docked(96, 0, 0), 1, 31), (Point{22, 38}));
    EXPECT_EQ(word_mark_origin(popup(96, 0, 0), 0, 999), (Point{12, 32}));
    const Rect clear{100, 50, 172, 68};
    EXPECT_EQ(clear_glyph_rect(popup(96, 0, 0), clear), (Rect{100, 50, 126, 68}));
    EXPECT_EQ(clear_label_rect(popup(96, 0, 0), clear), (Rect{122, 50, 164, 68}));
}

Clip text_clip(std::string text) {
    Clip clip;
    clip.content = ClipContent::make_text(std::move(text));
    return clip;
}

std::string repeat(std::string_view piece, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += piece;
    return out;
}

TEST(TileTooltip, TextIsTrimmedAndCutAfterThreeHundredCharacters) {
    EXPECT_EQ(tile_tooltip_text(text_clip(" \t hello  world \r\n")), "hello  world");
    EXPECT_EQ(tile_tooltip_text(text_clip("\xC2\xA0" "hi\xE3\x80\x80")), "hi");  // no-break and ideographic spaces
    // Characters are counted, not bytes: 300 two-byte letters fit, a 301st is cut.
    EXPECT_EQ(tile_tooltip_text(text_clip(repeat("\xC3\xA9", 300))), repeat("\xC3\xA9", 300));
    EXPECT_EQ(tile_tooltip_text(text_clip(repeat("\xC3\xA9", 301))), repeat("\xC3\xA9", 300) + "\xE2\x80\xA6");
    // A character outside the BMP is one character, not two UTF-16 units.
    EXPECT_EQ(tile_tooltip_text(text_clip(repeat("a", 299) + "\xF0\x9F\x98\x80" + "b")),
              repeat("a", 299) + "\xF0\x9F\x98\x80" + "\xE2\x80\xA6");
    EXPECT_EQ(tile_tooltip_text(text_clip("   " + repeat("x", 300) + "   ")), repeat("x", 300));
}

TEST(TileTooltip, NameAndTemplateVariables) {
    Clip named = text_clip("Dear ${who}, ${what}");
    named.name = "Greeting";
    named.variables = {VariableDefinition{.name = "who"}, VariableDefinition{.name = "what"}};
    EXPECT_EQ(tile_tooltip_text(named), "Greeting\nAsks for: who, what");
    named.name.reset();
    EXPECT_EQ(tile_tooltip_text(named), "Dear ${who}, ${what}\nAsks for: who, what");
}

TEST(TileTooltip, ImageShowsItsSizeWhenTheHeaderIsReadable) {
    Clip image;
    image.content = ClipContent::make_image(test::dib_with_header(640, -480, 44));
    EXPECT_EQ(tile_tooltip_text(image), "Image, 640 \xC3\x97 480");
    image.content = ClipContent::make_image(test::dib_with_header(0, 480, 44));
    EXPECT_EQ(tile_tooltip_text(image), "Image");
    image.content = ClipContent::make_image(Bytes(12, 0));
    EXPECT_EQ(tile_tooltip_text(image), "Image");
    image.name = "Logo";
    EXPECT_EQ(tile_tooltip_text(image), "Logo");
}

TEST(TileTooltip, FilesListEightPathsAndCountTheRest) {
    std::vector<FilePath> paths;
    std::string lines;
    for (char16_t c = u'a'; c < u'a' + 12; ++c) {
        paths.push_back(u"C:\\" + std::u16string(1, c));
        if (paths.size() <= 8) lines += (paths.size() > 1 ? "\nC:\\" : "C:\\") + std::string(1, char(c));
    }
    Clip files;
    files.content = ClipContent::make_files({paths.begin(), paths.begin() + 8});
    EXPECT_EQ(tile_tooltip_text(files), lines);
    files.content = ClipContent::make_files({paths.begin(), paths.begin() + 9});
    EXPECT_EQ(tile_tooltip_text(files), lines + "\nand 1 more");
    files.content = ClipContent::make_files(paths);
    files.cache.missing_files = 1;
    EXPECT_EQ(tile_tooltip_text(files), lines + "\nand 4 more\n(some files no longer exist)");
    files.content = ClipContent::make_files({u"D:\\r\u00E9sum\u00E9.txt"});
    EXPECT_EQ(tile_tooltip_text(files), "D:\\r\xC3\xA9sum\xC3\xA9.txt\n(some files no longer exist)");
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(PopupPosition, CentresAboveTheAnchorAndKeepsInsideTheWorkArea) {
    const Rect work{0, 0, 1920, 1040};  // a 40-pixel taskbar at the bottom
    // The full popup at the bottom-right corner: x = min(1900 - 277, 1920 - 554 - 8), y clamped to 768.
    EXPECT_EQ(popup_position({1900, 1060}, {554, 264}, work, 8), (Point{1358, 768}));
    EXPECT_EQ(popup_position({960, 600}, {284, 170}, work, 8), (Point{818, 422}));
    EXPECT_EQ(popup_position({5, 5}, {284, 170}, work, 8), (Point{8, 8}));  // top-left corner
    // A work area too small for the popup and its distance: the top-left limit.
    EXPECT_EQ(popup_position({100, 100}, {554, 264}, Rect{0, 0, 500, 200}, 8), (Point{8, 8}));
}

TEST(KeyboardFocus, ItemsAreTheShownTilesThenTheButtons) {
    const std::vector<ToolbarItem> items = toolbar_items(docked(96, 1, 1));
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0], (ToolbarItem{{HitKind::RecentTile, 0}, tile_rect(docked(96, 1, 1), R, 0)}));
    EXPECT_EQ(items[1].target, (HitTarget{HitKind::PinnedTile, 0}));
    EXPECT_EQ(items[2].target.kind, HitKind::NewTextButton);
    EXPECT_EQ(items[5].target.kind, HitKind::ClearButton);
}

TEST(PopupLayout, ASearchLinePushesTheSectionsDownAndKeepsTheWidth) {
    const ToolbarView searching{.docked = false, .searching = true, .all_recent = 8, .all_pinned = 0};
    const ToolbarLayout found = make_layout(searching, {}, 96, 1, 0);
    EXPECT_EQ(content_width(found), content_width(popup(96, 8, 0)));
    EXPECT_EQ(search_line_rect(found), (Rect{10, 44, content_width(found) - 10, 68}));
    EXPECT_EQ(section_top(found, R), section_top(popup(96, 1, 0), R) + 24 + 6);
    // Without a filter nothing moves.
    EXPECT_EQ(section_top(make_layout({.docked = false, .searching = false, .all_recent = 8}, {}, 96, 1, 0), R), 44);
}

TEST(TileParts, SitAtTheirInsetsFromTheTileAtEachDpi) {
    const TileParts at96 = tile_parts({14, 104, 62, 152}, 96);
    EXPECT_EQ(at96.picture, box(18, 108, 36, 36));
    EXPECT_EQ(at96.template_badge, (Rect{36, 130, 60, 150}));  // 24 DIPs wide
    EXPECT_EQ(at96.kind_badge, (Rect{40, 130, 60, 150}));
    EXPECT_EQ(at96.thumbnail_area, (Rect{42, 132, 58, 148}));
    EXPECT_EQ(at96.file_icon, box(42, 132, 16, 16));
    EXPECT_EQ(at96.count_badge, (Rect{42, 106, 60, 120}));
    EXPECT_EQ(at96.stroke_from, (Point{22, 144}));
    EXPECT_EQ(at96.stroke_to, (Point{54, 112}));
    EXPECT_EQ(at96.stroke_width, 3);
    // Each inset scaled on its own: at 144 dpi 26 DIPs are 39 pixels and 22 are 33.
    const TileParts at144 = tile_parts({21, 156, 93, 228}, 144);
    EXPECT_EQ(at144.template_badge, (Rect{93 - 39, 228 - 33, 93 - 3, 228 - 3}));
    EXPECT_EQ(at144.picture, box(27, 162, 54, 54));
    EXPECT_EQ(frame_corner(144), 12);
    for (const auto [dpi, pen] : {std::pair{72u, 1}, {96u, 1}, {191u, 1}, {192u, 2}, {288u, 3}})
        EXPECT_EQ(frame_pen_width(dpi), pen) << dpi << " dpi";
    // A 1-pixel-wide thumbnail stands in the middle of its 16-pixel area, halves truncating.
    EXPECT_EQ(centred_in(at96.thumbnail_area, {1, 16}), (Point{42 + 7, 132}));
}

}  // namespace
}  // namespace korvane
