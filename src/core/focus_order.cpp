#include "core/focus_order.hpp"

#include <algorithm>
#include <vector>

namespace korvane {
namespace {

int group_of(HitKind kind) {
    switch (kind) {
    case HitKind::RecentTile: return 0;
    case HitKind::PinnedTile: return 1;
    default: return 2;
    }
}

// How far an item lies in a direction from another, by their centres: nothing when it does
// not lie that way; a point off the line of movement counts double, so the same row or column
// wins over a nearer item beside it.
std::optional<int64_t> distance_towards(const Rect& from, const Rect& to, FocusMove move) {
    const int64_t fx = int64_t(from.left) + from.right, fy = int64_t(from.top) + from.bottom;  // twice the centres
    const int64_t tx = int64_t(to.left) + to.right, ty = int64_t(to.top) + to.bottom;
    int64_t along = 0, across = 0;
    switch (move) {
    case FocusMove::Left: along = fx - tx, across = ty - fy; break;
    case FocusMove::Right: along = tx - fx, across = ty - fy; break;
    case FocusMove::Up: along = fy - ty, across = tx - fx; break;
    case FocusMove::Down: along = ty - fy, across = tx - fx; break;
    default: return std::nullopt;
    }
    if (along <= 0) return std::nullopt;
    return along + 2 * (across < 0 ? -across : across);
}

}  // namespace

std::optional<HitTarget> moved_focus(const ToolbarLayout& layout, std::optional<HitTarget> from, FocusMove move) {
    const std::vector<ToolbarItem> items = toolbar_items(layout);
    if (items.empty()) return std::nullopt;
    const auto current = std::find_if(items.begin(), items.end(),
                                      [&](const ToolbarItem& item) { return from && item.target == *from; });
    if (current == items.end()) return items.front().target;
    if (move == FocusMove::NextGroup || move == FocusMove::PreviousGroup) {
        const int step = move == FocusMove::NextGroup ? 1 : 2;  // two forward is one back, of three
        for (int group = (group_of(current->target.kind) + step) % 3; group != group_of(current->target.kind);
             group = (group + step) % 3)
            for (const ToolbarItem& item : items)
                if (group_of(item.target.kind) == group) return item.target;
        return current->target;
    }
    const int group = group_of(current->target.kind);
    if (move == FocusMove::First || move == FocusMove::Last) {
        std::optional<HitTarget> end;
        for (const ToolbarItem& item : items)
            if (group_of(item.target.kind) == group && (move == FocusMove::Last || !end)) end = item.target;
        return end;
    }
    if (move == FocusMove::PageUp || move == FocusMove::PageDown) {
        const int32_t rows = std::max(1, (layout.client_height - content_top(layout)) / std::max(1, tile_step(layout)));
        const FocusMove row = move == FocusMove::PageUp ? FocusMove::Up : FocusMove::Down;
        HitTarget at = current->target;
        for (int32_t i = 0; i < rows; ++i) {
            const std::optional<HitTarget> next = moved_focus(layout, at, row);
            if (!next || *next == at || group_of(next->kind) != group) break;
            at = *next;
        }
        return at;
    }
    std::optional<HitTarget> best;
    int64_t best_distance = 0;
    for (const ToolbarItem& item : items) {
        const std::optional<int64_t> distance = distance_towards(current->rect, item.rect, move);
        if (distance && (!best || *distance < best_distance)) {
            best = item.target;
            best_distance = *distance;
        }
    }
    return best ? best : current->target;
}

}  // namespace korvane
