// The geometry of both toolbar windows: sections, tiles, buttons, empty-state areas, hit
// testing, drop positions, scrolling limits and the content size that sizes the popup.  Every
// value is a pure function of the layout record, rebuilt whenever it is needed; nothing is cached.
// Coordinates are client pixels of the toolbar window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/clip.hpp"
#include "core/dips.hpp"
#include "core/geometry.hpp"
#include "core/store.hpp"

namespace korvane {


// The codes are shared with the toolbar state's hover and press fields and the click dispatch.
enum class HitKind : int8_t {
    None = -1,
    RecentTile = 0,
    PinnedTile = 1,
    NewTextButton = 2,
    SettingsButton = 3,
    ClearButton = 4,
    MinimizeButton = 5,
};

constexpr bool is_tile(HitKind kind) { return kind == HitKind::RecentTile || kind == HitKind::PinnedTile; }
// The area a tile's kind names.
constexpr Area area_of(HitKind kind) { return kind == HitKind::PinnedTile ? Area::Pinned : Area::Recent; }

// The index names a tile's position in its area; it is 0 for buttons and for no target.
struct HitTarget {
    HitKind kind = HitKind::None;
    uint64_t index = 0;
    bool operator==(const HitTarget&) const = default;
};

struct Button {
    HitKind kind;
    Rect rect;
    bool operator==(const Button&) const = default;
};

// Where a dragged clip would go: the area and the insertion index in it.
struct DropTarget {
    Area section;
    uint64_t index;
    bool operator==(const DropTarget&) const = default;
};

// What the layout reads of a toolbar window's state.
struct ToolbarView {
    bool docked = true;
    int32_t scroll = 0;  // the docked toolbar's scroll offset; the popup never scrolls
    // The popup while a filter is typed: a search line above the sections, and as wide as the
    // whole store makes it, so the window keeps its width while tiles come and go.
    bool searching = false;
    uint64_t all_recent = 0;
    uint64_t all_pinned = 0;
};

// The window's client rectangle (GetClientRect: its right and bottom).
struct ClientArea {
    int32_t width = 0;
    int32_t height = 0;
};

struct ToolbarLayout {
    int32_t margin = 0;
    int32_t gap = 0;           // between adjacent tiles
    int32_t tile = 0;          // side of a square tile
    int32_t title_height = 0;  // of the popup's section titles; the docked toolbar's are shorter
    uint64_t recent_count = 0;
    uint64_t pinned_count = 0;
    int32_t scroll = 0;
    int32_t client_width = 0;
    int32_t client_height = 0;
    bool docked = true;
    uint32_t dpi = 96;
    bool searching = false;
    uint64_t width_recent_count = 0;  // the counts the popup's width is made for
    uint64_t width_pinned_count = 0;
};

ToolbarLayout make_layout(ToolbarView toolbar, ClientArea client, uint32_t dpi, uint64_t recent_count,
                          uint64_t pinned_count);

// The docked toolbar's fixed band at the top (word mark and three buttons); it never scrolls.
int32_t header_height(const ToolbarLayout& layout);
// The distance between the origins of adjacent tiles.
int32_t tile_step(const ToolbarLayout& layout);
int32_t content_width(const ToolbarLayout& layout);
// Docked: the content width by the client height.  Popup: the size the window is given.
Size content_size(const ToolbarLayout& layout);

// Height of a tile block of n tiles, or of the empty-state area when n is 0.
int32_t block_height(const ToolbarLayout& layout, uint64_t n);
// Top of the section's title row.
int32_t section_top(const ToolbarLayout& layout, Area section);
int32_t tiles_top(const ToolbarLayout& layout, Area section);
Rect tile_rect(const ToolbarLayout& layout, Area section, uint64_t index);
// Where an empty section shows its empty-state text.
Rect empty_rect(const ToolbarLayout& layout, Area section);
Rect title_rect(const ToolbarLayout& layout, Area section);
// The largest scroll offset of the docked toolbar: how far its content overflows the client
// area.  Always 0 for the popup.
int32_t max_scroll(const ToolbarLayout& layout);
// Whether tiles can lie under the point: inside the content and, when docked, below the header.
bool in_tile_region(const ToolbarLayout& layout, int32_t x, int32_t y);

// The visible buttons in the order hit testing tries them.  The docked ClearButton is left out
// once the Recent title has scrolled under the header.
std::vector<Button> button_list(const ToolbarLayout& layout);
HitTarget hit_test(const ToolbarLayout& layout, int32_t x, int32_t y);
// The insertion point nearest the point while a clip is dragged; nothing outside the tile region.
std::optional<DropTarget> drop_target_at(const ToolbarLayout& layout, int32_t x, int32_t y);

// Where the popup of the given size goes for an anchor point: centred above it, kept `gap`
// inside the work area; where it cannot keep the distance on both sides it sits at the
// top-left limit.
Point popup_position(Point anchor, Size popup, Rect work, int32_t gap);

// The popup's search line, above the sections while a filter is typed.
Rect search_line_rect(const ToolbarLayout& layout);

// Everything a toolbar offers, in the order the keyboard and a screen reader walk it: the
// Recent tiles, the pins, then the buttons.  Tiles are the ones shown, by their shown place.
struct ToolbarItem {
    HitTarget target;
    Rect rect;
    bool operator==(const ToolbarItem&) const = default;
};
std::vector<ToolbarItem> toolbar_items(const ToolbarLayout& layout);

// What screen readers are told of: toolbar_items and, on the strip, its Clear button while it
// has scrolled under the header (off-screen, but there).  It comes last, as in toolbar_items, so
// every item keeps its place in the list wherever the strip is scrolled.
std::vector<ToolbarItem> accessible_items(const ToolbarLayout& layout);

// The keyboard's focus frame around an item: 3 DIPs outside it, in the gap.  It is twice as thick
// as the focus border the system asks for (SPI_GETFOCUSBORDERWIDTH, 1 by default, in pixels at
// 96 dpi), 2 DIPs at least and MAX_FOCUS_FRAME_DIPS at most, so that a thick one still leaves
// most of the tile seen.
constexpr int32_t MAX_FOCUS_FRAME_DIPS = 12;
Rect focus_frame_rect(const ToolbarLayout& layout, const Rect& item);
int32_t focus_frame_width(const ToolbarLayout& layout, int32_t system_border);

// Where the parts of a tile go, in pixels, for a tile's rectangle at a DPI.
struct TileParts {
    Rect picture;         // the clip's picture, 36 DIPs square, 4 DIPs in from the top left
    Rect template_badge;  // "${}" at the bottom right
    Rect kind_badge;      // the picture's or the files' badge at the bottom right
    Rect thumbnail_area;  // inside the kind badge, 2 DIPs in
    Rect file_icon;       // the shell's small icon, 16 DIPs square, in the kind badge
    Rect count_badge;     // the number of files, at the top right
    Point stroke_from;    // the missing-files stroke, bottom left to top right
    Point stroke_to;
    int32_t stroke_width = 0;
};
TileParts tile_parts(const Rect& tile, uint32_t dpi);

// Where a thumbnail of this size sits centred in its area (halves truncate).
Point centred_in(const Rect& area, Size size);

// The rounded frames' corner ellipse (8 DIPs) and pen: dpi / 96 whole pixels (one up to 191 dpi,
// two up to 287, three at 288), and never less than one.
int32_t frame_corner(uint32_t dpi);
int32_t frame_pen_width(uint32_t dpi);

// The docked strip's width, which is also the height of its header band (76 DIPs).
int32_t docked_strip_width(uint32_t dpi);
// The distance the popup keeps from its anchor and from the work area's edges (8 DIPs).
int32_t popup_gap(uint32_t dpi);

// Where scrolled content may paint and be hit: below the docked header, all of the popup.
int32_t content_top(const ToolbarLayout& layout);
// A tile as far as it can be seen: cut to the band from content_top to the content height,
// nothing when none of it shows or it lies beyond the content width.  What a tooltip covers.
std::optional<Rect> visible_tile_rect(const ToolbarLayout& layout, Area section, uint64_t index);

// The one-pixel line under the docked header.
Rect header_separator_rect(const ToolbarLayout& layout);
// The docked scroll thumb, when the content overflows: at least 24 DIPs tall, its track from 4
// DIPs below the header to 4 DIPs above the bottom.
std::optional<Rect> scroll_thumb_rect(const ToolbarLayout& layout);

// The scroll offset while a clip is dragged on the docked strip: within 24 DIPs below the header
// it scrolls up by 12 DIPs, within 24 DIPs of the bottom down by 12, clamped to 0 ... max_scroll.
// The popup never scrolls.
int32_t auto_scrolled(const ToolbarLayout& layout, int32_t y);

// The bar that shows where a dragged clip would go, three DIPs thick: across the middle of an
// empty section, in the gap above the insertion point when docked, and a vertical bar before
// the insertion point in the popup (after the last tile of a full row at its end).
Rect drop_bar_rect(const ToolbarLayout& layout, DropTarget drop);

// The word mark's baseline origin.  The popup has one line; the docked strip two, each centred
// in the strip's width (given the line's measured width).
Point word_mark_origin(const ToolbarLayout& layout, int line, int32_t measured_width);

// The popup's Clear button holds its glyph at the left and its label after it.
Rect clear_glyph_rect(const ToolbarLayout& layout, const Rect& button);
Rect clear_label_rect(const ToolbarLayout& layout, const Rect& button);

}  // namespace korvane
