#include "core/layout.hpp"

#include <algorithm>

namespace korvane {
namespace {

constexpr uint64_t POPUP_COLUMNS = 10;
constexpr uint64_t MIN_POPUP_COLUMNS = 5;

int32_t px(const ToolbarLayout& layout, int32_t dips) { return scale(dips, layout.dpi); }

// Counts are at most a few dozen and the products a few thousand pixels; 64 bits keep a
// nonsensical count from wrapping before it is narrowed.
int32_t narrow(int64_t value) { return static_cast<int32_t>(value); }

int64_t floor_div(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

uint64_t count_of(const ToolbarLayout& layout, Area section) {
    return section == Area::Recent ? layout.recent_count : layout.pinned_count;
}

// The docked title row is shorter than the popup's.
int32_t title_row(const ToolbarLayout& layout) { return layout.docked ? px(layout, 22) : layout.title_height; }

int32_t empty_height(const ToolbarLayout& layout) { return px(layout, layout.docked ? 48 : 28); }

// The search line and the gap under it.
int32_t search_line_height(const ToolbarLayout& layout) { return px(layout, 24) + layout.gap; }

}  // namespace

ToolbarLayout make_layout(ToolbarView toolbar, ClientArea client, uint32_t dpi, uint64_t recent_count,
                          uint64_t pinned_count) {
    ToolbarLayout layout;
    layout.margin = scale(10, dpi);
    layout.gap = scale(6, dpi);
    layout.tile = scale(48, dpi);
    layout.title_height = scale(24, dpi);
    layout.recent_count = recent_count;
    layout.pinned_count = pinned_count;
    layout.scroll = toolbar.scroll;
    layout.client_width = client.width;
    layout.client_height = client.height;
    layout.docked = toolbar.docked;
    layout.dpi = dpi;
    layout.searching = toolbar.searching && !toolbar.docked;
    layout.width_recent_count = layout.searching ? toolbar.all_recent : recent_count;
    layout.width_pinned_count = layout.searching ? toolbar.all_pinned : pinned_count;
    return layout;
}

int32_t header_height(const ToolbarLayout& layout) { return docked_strip_width(layout.dpi); }

int32_t tile_step(const ToolbarLayout& layout) { return layout.tile + layout.gap; }

int32_t content_width(const ToolbarLayout& layout) {
    if (layout.docked) return docked_strip_width(layout.dpi);
    const auto columns = static_cast<int64_t>(std::max(
        {MIN_POPUP_COLUMNS, std::min(layout.width_recent_count, POPUP_COLUMNS), std::min(layout.width_pinned_count, POPUP_COLUMNS)}));
    return narrow(columns * layout.tile + 2 * int64_t(layout.margin) + (columns - 1) * layout.gap);
}

Size content_size(const ToolbarLayout& layout) {
    if (layout.docked) return {content_width(layout), layout.client_height};
    return {content_width(layout),
            tiles_top(layout, Area::Pinned) + block_height(layout, layout.pinned_count) + layout.margin};
}

int32_t block_height(const ToolbarLayout& layout, uint64_t n) {
    if (n == 0) return empty_height(layout);
    const uint64_t per_row = layout.docked ? 1 : POPUP_COLUMNS;
    const auto rows = static_cast<int64_t>((n + per_row - 1) / per_row);
    return narrow(rows * layout.tile + (rows - 1) * layout.gap);
}

int32_t section_top(const ToolbarLayout& layout, Area section) {
    if (section == Area::Recent) {
        if (layout.docked) return header_height(layout) + px(layout, 6) - layout.scroll;
        return layout.margin + px(layout, 34) + (layout.searching ? search_line_height(layout) : 0);
    }
    const int32_t recent_top = section_top(layout, Area::Recent);
    const int32_t recent_block = block_height(layout, layout.recent_count);
    if (layout.docked) return recent_top + px(layout, 10) + px(layout, 22) + recent_block;
    return recent_top + 2 * layout.gap + layout.title_height + recent_block;
}

int32_t tiles_top(const ToolbarLayout& layout, Area section) {
    return section_top(layout, section) + title_row(layout);
}

Rect tile_rect(const ToolbarLayout& layout, Area section, uint64_t index) {
    const int64_t step = tile_step(layout);
    int64_t left = 0;
    int64_t top = tiles_top(layout, section);
    if (layout.docked) {
        left = (content_width(layout) - layout.tile) / 2;
        top += static_cast<int64_t>(index) * step;
    } else {
        left = static_cast<int64_t>(index % POPUP_COLUMNS) * step + layout.margin;
        top += static_cast<int64_t>(index / POPUP_COLUMNS) * step;
    }
    return {narrow(left), narrow(top), narrow(left + layout.tile), narrow(top + layout.tile)};
}

Rect empty_rect(const ToolbarLayout& layout, Area section) {
    const int32_t left = layout.docked ? px(layout, 4) : layout.margin;
    const int32_t top = tiles_top(layout, section);
    return {left, top, content_width(layout) - left, top + empty_height(layout)};
}

Rect title_rect(const ToolbarLayout& layout, Area section) {
    const int32_t top = section_top(layout, section);
    if (layout.docked)
        return {px(layout, 6), top, layout.client_width - px(layout, 2), top + px(layout, 22) - px(layout, 4)};
    return {layout.margin + px(layout, 2), top, layout.client_width - layout.margin,
            top + layout.title_height - px(layout, 4)};
}

int32_t max_scroll(const ToolbarLayout& layout) {
    if (!layout.docked) return 0;
    // tiles_top carries -scroll; adding it back makes the limit independent of the current offset.
    const int64_t content_height = int64_t(tiles_top(layout, Area::Pinned)) +
                                   block_height(layout, layout.pinned_count) + layout.margin + layout.scroll;
    return narrow(std::max<int64_t>(0, content_height - layout.client_height));
}

bool in_tile_region(const ToolbarLayout& layout, int32_t x, int32_t y) {
    const Size content = content_size(layout);
    return 0 <= x && x < content.width && y < content.height && y >= content_top(layout);
}

namespace {

// The strip's Clear button at the end of the Recent title row, wherever it has scrolled.
Rect docked_clear_rect(const ToolbarLayout& layout) {
    const int32_t side = px(layout, 18);
    const int32_t top = section_top(layout, Area::Recent) - px(layout, 2) + (px(layout, 22) - side) / 2;
    const int32_t right = content_width(layout) - px(layout, 6);
    return {right - side, top, right, top + side};
}

}  // namespace

std::vector<Button> button_list(const ToolbarLayout& layout) {
    std::vector<Button> buttons;
    const int32_t width = content_width(layout);
    if (layout.docked) {
        const int32_t side = px(layout, 22);
        const int32_t spacing = px(layout, 2);
        const int32_t top = px(layout, 46);
        int32_t left = (width - 3 * side - 2 * spacing) / 2;
        for (HitKind kind : {HitKind::NewTextButton, HitKind::SettingsButton, HitKind::MinimizeButton}) {
            buttons.push_back({kind, {left, top, left + side, top + side}});
            left += side + spacing;
        }
        // Once the Recent title scrolls under the header its button is neither drawn nor hit.
        const Rect clear = docked_clear_rect(layout);
        if (clear.top >= header_height(layout)) buttons.push_back({HitKind::ClearButton, clear});
        return buttons;
    }
    const int32_t right = width - layout.margin;
    const int32_t settings_top = layout.margin + px(layout, 2);
    buttons.push_back({HitKind::SettingsButton, {right - px(layout, 26), settings_top, right, settings_top + px(layout, 26)}});
    const int32_t row_button_height = layout.title_height - px(layout, 6);
    const int32_t clear_top = section_top(layout, Area::Recent) + px(layout, 1);
    buttons.push_back({HitKind::ClearButton, {right - px(layout, 72), clear_top, right, clear_top + row_button_height}});
    const int32_t new_top = section_top(layout, Area::Pinned) + px(layout, 1);
    buttons.push_back({HitKind::NewTextButton, {right - px(layout, 96), new_top, right, new_top + row_button_height}});
    return buttons;
}

HitTarget hit_test(const ToolbarLayout& layout, int32_t x, int32_t y) {
    for (const Button& button : button_list(layout))
        if (button.rect.contains(x, y)) return {button.kind, 0};
    if (!in_tile_region(layout, x, y)) return {};
    for (uint64_t i = 0; i < layout.recent_count; ++i)
        if (tile_rect(layout, Area::Recent, i).contains(x, y)) return {HitKind::RecentTile, i};
    for (uint64_t i = 0; i < layout.pinned_count; ++i)
        if (tile_rect(layout, Area::Pinned, i).contains(x, y)) return {HitKind::PinnedTile, i};
    return {};
}

std::optional<DropTarget> drop_target_at(const ToolbarLayout& layout, int32_t x, int32_t y) {
    if (!in_tile_region(layout, x, y)) return std::nullopt;
    // The Pinned title row and everything below it count as Pinned.
    const Area section = y >= section_top(layout, Area::Pinned) ? Area::Pinned : Area::Recent;
    const uint64_t n = count_of(layout, section);
    const int64_t step = tile_step(layout);
    const int64_t half_step = step / 2;
    const int64_t d = int64_t(y) - tiles_top(layout, section);
    uint64_t index = 0;
    if (layout.docked) {
        // The gap nearest the cursor: a point in the upper half of a tile inserts before it.
        index = static_cast<uint64_t>(std::max<int64_t>(0, floor_div(d + half_step, step)));
    } else {
        const auto last_row = static_cast<int64_t>(std::max<uint64_t>(1, (n + POPUP_COLUMNS - 1) / POPUP_COLUMNS) - 1);
        const int64_t row = std::clamp<int64_t>(floor_div(d, step), 0, last_row);
        // Column 10 is the position after the last tile of a full row.
        const int64_t column = std::clamp<int64_t>(floor_div(int64_t(x) - layout.margin + half_step, step), 0,
                                                   int64_t(POPUP_COLUMNS));
        index = static_cast<uint64_t>(row * int64_t(POPUP_COLUMNS) + column);
    }
    return DropTarget{section, std::min(index, n)};
}

Rect search_line_rect(const ToolbarLayout& layout) {
    const int32_t top = layout.margin + px(layout, 34);
    return {layout.margin, top, content_width(layout) - layout.margin, top + px(layout, 24)};
}

std::vector<ToolbarItem> toolbar_items(const ToolbarLayout& layout) {
    std::vector<ToolbarItem> items;
    for (uint64_t i = 0; i < layout.recent_count; ++i) items.push_back({{HitKind::RecentTile, i}, tile_rect(layout, Area::Recent, i)});
    for (uint64_t i = 0; i < layout.pinned_count; ++i) items.push_back({{HitKind::PinnedTile, i}, tile_rect(layout, Area::Pinned, i)});
    for (const Button& button : button_list(layout)) items.push_back({{button.kind, 0}, button.rect});
    return items;
}

std::vector<ToolbarItem> accessible_items(const ToolbarLayout& layout) {
    std::vector<ToolbarItem> items = toolbar_items(layout);
    const bool clear_listed = std::any_of(items.begin(), items.end(),
                                          [](const ToolbarItem& item) { return item.target.kind == HitKind::ClearButton; });
    if (layout.docked && !clear_listed) items.push_back({{HitKind::ClearButton, 0}, docked_clear_rect(layout)});
    return items;
}

Rect focus_frame_rect(const ToolbarLayout& layout, const Rect& item) {
    const int32_t out = px(layout, 3);
    return {item.left - out, item.top - out, item.right + out, item.bottom + out};
}

int32_t focus_frame_width(const ToolbarLayout& layout, int32_t system_border) {
    return px(layout, std::clamp(2 * system_border, 2, MAX_FOCUS_FRAME_DIPS));
}

TileParts tile_parts(const Rect& tile, uint32_t dpi) {
    const auto px = [dpi](int32_t dips) { return scale(dips, dpi); };
    const int32_t l = tile.left, t = tile.top, r = tile.right, b = tile.bottom;
    TileParts parts;
    parts.picture = box(l + px(4), t + px(4), px(36), px(36));
    parts.template_badge = {r - px(26), b - px(22), r - px(2), b - px(2)};
    parts.kind_badge = {r - px(22), b - px(22), r - px(2), b - px(2)};
    parts.thumbnail_area = {r - px(20), b - px(20), r - px(4), b - px(4)};
    parts.file_icon = box(r - px(20), b - px(20), px(16), px(16));
    parts.count_badge = {r - px(20), t + px(2), r - px(2), t + px(16)};
    parts.stroke_from = {l + px(8), b - px(8)};
    parts.stroke_to = {r - px(8), t + px(8)};
    parts.stroke_width = px(3);
    return parts;
}

Point centred_in(const Rect& area, Size size) {
    return {area.left + (area.width() - size.width) / 2, area.top + (area.height() - size.height) / 2};
}

int32_t frame_corner(uint32_t dpi) { return scale(8, dpi); }

int32_t frame_pen_width(uint32_t dpi) { return std::max<int32_t>(1, int32_t(dpi / 96)); }

int32_t docked_strip_width(uint32_t dpi) { return scale(76, dpi); }

int32_t popup_gap(uint32_t dpi) { return scale(8, dpi); }

int32_t content_top(const ToolbarLayout& layout) { return layout.docked ? header_height(layout) : 0; }

std::optional<Rect> visible_tile_rect(const ToolbarLayout& layout, Area section, uint64_t index) {
    Rect r = tile_rect(layout, section, index);
    r.top = std::max(r.top, content_top(layout));
    r.bottom = std::min(r.bottom, content_size(layout).height);
    if (r.top >= r.bottom || r.left >= r.right || r.right > content_width(layout)) return std::nullopt;
    return r;
}

Rect header_separator_rect(const ToolbarLayout& layout) {
    const int32_t bottom = header_height(layout);
    return {px(layout, 4), bottom - px(layout, 1), layout.client_width - px(layout, 4), bottom};
}

std::optional<Rect> scroll_thumb_rect(const ToolbarLayout& layout) {
    const int64_t most = max_scroll(layout);
    if (most <= 0) return std::nullopt;
    const int64_t track = int64_t(layout.client_height) - header_height(layout) - px(layout, 8);
    const int64_t total = track + most;
    const int64_t thumb = std::max<int64_t>(track * track / total, px(layout, 24));
    const int64_t top = (track - thumb) * layout.scroll / most + header_height(layout) + px(layout, 4);
    return Rect{layout.client_width - px(layout, 5), narrow(top), layout.client_width - px(layout, 2),
                narrow(top + thumb)};
}

int32_t auto_scrolled(const ToolbarLayout& layout, int32_t y) {
    if (!layout.docked) return layout.scroll;
    const int32_t band = px(layout, 24);
    const int32_t step = px(layout, 12);
    if (y < header_height(layout) + band) return std::max(0, layout.scroll - step);
    if (y > layout.client_height - band) return std::min(layout.scroll + step, max_scroll(layout));
    return layout.scroll;
}

Rect drop_bar_rect(const ToolbarLayout& layout, DropTarget drop) {
    const int32_t thickness = px(layout, 3);
    const int32_t half = narrow(3 * int64_t(layout.dpi) / 192);
    const uint64_t count = count_of(layout, drop.section);
    const int64_t step = tile_step(layout);
    if (count == 0) {
        const Rect empty = empty_rect(layout, drop.section);
        const int32_t top = empty.top + narrow((layout.docked ? 48 : 28) * int64_t(layout.dpi) / 192) - half;
        return {empty.left, top, empty.right, top + thickness};
    }
    if (layout.docked) {
        const int32_t top = narrow(tiles_top(layout, drop.section) + int64_t(drop.index) * step - layout.gap / 2 - half);
        return {px(layout, 6), top, content_width(layout) - px(layout, 6), top + thickness};
    }
    uint64_t column = drop.index % POPUP_COLUMNS;
    uint64_t row = drop.index / POPUP_COLUMNS;
    if (drop.index == count && drop.index % POPUP_COLUMNS == 0) {  // after the last tile of a full row
        column = POPUP_COLUMNS;
        row = drop.index / POPUP_COLUMNS - 1;
    }
    const int32_t left = narrow(layout.margin + int64_t(column) * step - layout.gap / 2 - half);
    const int32_t top = narrow(tiles_top(layout, drop.section) + int64_t(row) * step);
    return {left, top, left + thickness, top + layout.tile};
}

Point word_mark_origin(const ToolbarLayout& layout, int line, int32_t measured_width) {
    if (!layout.docked) return {layout.margin + px(layout, 2), layout.margin + px(layout, 22)};
    const int32_t width = docked_strip_width(layout.dpi);
    return {(width - measured_width) / 2, line == 0 ? px(layout, 21) : px(layout, 38)};
}

Rect clear_glyph_rect(const ToolbarLayout& layout, const Rect& button) {
    return {button.left, button.top, button.left + px(layout, 26), button.bottom};
}

Rect clear_label_rect(const ToolbarLayout& layout, const Rect& button) {
    return {button.left + px(layout, 26) - px(layout, 4), button.top, button.right - px(layout, 8), button.bottom};
}

Point popup_position(Point anchor, Size popup, Rect work, int32_t gap) {
    const int32_t min_x = work.left + gap;
    const int32_t max_x = std::max(work.right - popup.width - gap, work.left);
    const int32_t min_y = work.top + gap;
    const int32_t max_y = std::max(work.bottom - (popup.height + gap), work.top);
    return Point{std::max(min_x, std::min(anchor.x - popup.width / 2, max_x)),
                 std::max(min_y, std::min(anchor.y - (popup.height + gap), max_y))};
}

}  // namespace korvane
