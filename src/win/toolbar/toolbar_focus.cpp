#include "win/toolbar/toolbar_focus.hpp"

#include <algorithm>

#include "win/toolbar/focus_tip.hpp"
#include "win/toolbar/toolbar_paint.hpp"

namespace korvane {
namespace {

// Where a docked tile must scroll to be seen whole.
int32_t scroll_showing(const ToolbarLayout& layout, const Rect& item) {
    int32_t scroll = layout.scroll;
    if (item.top < content_top(layout)) scroll -= content_top(layout) - item.top;
    else if (item.bottom > layout.client_height) scroll += item.bottom - layout.client_height;
    return std::clamp(scroll, 0, max_scroll(layout));
}

}  // namespace

std::optional<HitTarget> focused_target(const ToolbarState& toolbar, const ClipStore& store, const ToolbarShape& shape) {
    if (!toolbar.focus) return std::nullopt;
    const FocusTarget& focus = *toolbar.focus;
    if (is_tile(focus.kind)) {  // in whichever section the clip is now: pinning keeps the focus on it
        for (const HitKind kind : {HitKind::RecentTile, HitKind::PinnedTile}) {
            const Area area = area_of(kind);
            const std::vector<size_t>& shown = area == Area::Recent ? shape.shown.recent : shape.shown.pins;
            for (size_t i = 0; i < shown.size(); ++i) {
                const Clip& clip = area == Area::Recent ? store.recent[shown[i]] : store.pins[shown[i]];
                if (clip.id == focus.clip) return HitTarget{kind, i};
            }
        }
        return std::nullopt;
    }
    const std::vector<Button> buttons = button_list(shape.layout);
    if (std::any_of(buttons.begin(), buttons.end(), [&](const Button& b) { return b.kind == focus.kind; }))
        return HitTarget{focus.kind, 0};
    return std::nullopt;
}

FocusTarget focus_for(HitTarget target, ClipStore& store, const ToolbarShape& shape) {
    const Clip* clip = tile_clip(store, shape, target);
    return FocusTarget{target.kind, clip ? clip->id : 0};
}

std::optional<LONG> child_id_in(const std::vector<ToolbarItem>& items, HitTarget target) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].target == target) return LONG(i + 1);
    return std::nullopt;
}

std::optional<LONG> child_id_of(const ToolbarShape& shape, HitTarget target) {
    return child_id_in(toolbar_items(shape.layout), target);
}

std::optional<LONG> put_focus_on(ToolbarState& toolbar, ClipStore& store, const ToolbarShape& shape,
                                 std::optional<HitTarget> target) {
    toolbar.focus_cues = true;
    redraw_toolbar(toolbar);
    if (!target) {
        toolbar.focus.reset();
        return std::nullopt;
    }
    toolbar.focus = focus_for(*target, store, shape);
    if (toolbar.docked && is_tile(target->kind)) {
        const int32_t scroll = scroll_showing(shape.layout, tile_rect(shape.layout, area_of(target->kind), target->index));
        if (scroll != toolbar.scroll) {
            toolbar.scroll = scroll;
            PostMessageW(toolbar.window, WM_NULL, 0, 0);
        }
    }
    return child_id_of(shape, *target);
}

void announce_focus(HWND window, std::optional<LONG> child_id) {
    show_focus_tip(window);
    if (child_id && GetFocus() == window) NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, *child_id);
}

}  // namespace korvane
