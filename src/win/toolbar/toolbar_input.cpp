#include "win/toolbar/toolbar_input.hpp"

#include <cstdlib>
#include <optional>
#include <string>

#include "win/app/app.hpp"
#include "win/support/beep.hpp"
#include "win/toolbar/commands.hpp"
#include "win/toolbar/focus_tip.hpp"
#include "win/toolbar/tile_menu.hpp"
#include "win/toolbar/toolbar_paint.hpp"
#include "win/toolbar/toolbar_tooltips.hpp"

namespace korvane {
namespace {

// A drag takes the clip that was pressed, only while it is still where it was pressed.  While a
// filter hides clips the places of the shown ones are not the store's, so nothing is dragged.
bool pressed_clip_in_place(const ToolbarState& toolbar, ClipStore& store, const ToolbarShape& shape) {
    if (!toolbar.filter.empty()) return false;
    const Clip* clip = tile_clip(store, shape, toolbar.press);
    return clip && clip->id == toolbar.pressed_clip;
}

void track_leave(HWND window) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
}

void update_hover(ToolbarState& toolbar, const ToolbarLayout& layout, POINT at) {
    const HitTarget target = hit_test(layout, at.x, at.y);
    if (target == toolbar.hover) return;
    redraw_target(toolbar, layout, toolbar.hover);
    redraw_target(toolbar, layout, target);
    toolbar.hover = target;
}

void start_drag(ToolbarState& toolbar, const ToolbarLayout& layout, POINT at) {
    const Area area = area_of(toolbar.press.kind);
    const Rect tile = tile_rect(layout, area, toolbar.press.index);
    redraw_target(toolbar, layout, toolbar.hover);
    toolbar.drag_source = area;
    toolbar.drag_source_index = toolbar.press.index;
    toolbar.grab_offset = POINT{toolbar.press_point.x - tile.left, toolbar.press_point.y - tile.top};
    toolbar.dragged_clip = toolbar.pressed_clip;
    toolbar.drop = drop_target_at(layout, at.x, at.y);
    toolbar.cursor = at;
    toolbar.press = {};
    toolbar.hover = {};
    SetCapture(toolbar.window);
    redraw_drag(toolbar, layout);
}

// The ghost and the drop bar are drawn again where they were and where they go; a drag that
// scrolls the strip moves everything.
void continue_drag(ToolbarState& toolbar, const ClipStore& store, POINT at) {
    const ToolbarLayout before = shape_of(toolbar, store).layout;
    const int32_t scroll = auto_scrolled(before, at.y);
    if (scroll != toolbar.scroll) {
        toolbar.scroll = scroll;
        redraw_toolbar(toolbar);
    } else {
        redraw_drag(toolbar, before);
    }
    const ToolbarLayout layout = shape_of(toolbar, store).layout;
    toolbar.drop = drop_target_at(layout, at.x, at.y);
    toolbar.cursor = at;
    redraw_drag(toolbar, layout);
}

}  // namespace

LRESULT on_mouse_move(HWND window, WPARAM keys, POINT at) {
    track_leave(window);
    focus_tip_mouse_moved(window);  // the mouse takes over from the keyboard
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return 0;
    ClipStore& store = app->store;
    if (toolbar->dragging()) {
        continue_drag(*toolbar, store, at);
        return 0;
    }
    const ToolbarShape shape = shape_of(*toolbar, store);
    const int dx = std::abs(at.x - toolbar->press_point.x);
    const int dy = std::abs(at.y - toolbar->press_point.y);
    const bool beyond = dx > GetSystemMetrics(SM_CXDRAG) || dy > GetSystemMetrics(SM_CYDRAG);
    if (is_tile(toolbar->press.kind) && (keys & MK_LBUTTON) && beyond && pressed_clip_in_place(*toolbar, store, shape)) {
        start_drag(*toolbar, shape.layout, at);
        return 0;
    }
    update_hover(*toolbar, shape.layout, at);
    return 0;
}

LRESULT on_left_button_down(HWND window, POINT at) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return 0;
    const ToolbarShape shape = shape_of(*toolbar, app->store);
    toolbar->press = hit_test(shape.layout, at.x, at.y);
    toolbar->press_point = at;
    const Clip* pressed = tile_clip(app->store, shape, toolbar->press);
    toolbar->pressed_clip = pressed ? pressed->id : 0;
    return 0;
}

void drop_clip(HWND window) {
    bool pins_changed = false;
    {
        AppBorrow app = borrow_app();
        ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
        std::optional<DropTarget> drop;
        ClipId dragged = 0;
        if (toolbar) {
            toolbar->drag_source.reset();
            drop = toolbar->drop;
            dragged = toolbar->dragged_clip;
        }
        ReleaseCapture();
        if (drop) {
            const std::optional<ClipLocation> at = app ? find_clip(app->store, dragged) : std::nullopt;
            if (!app || !at ||
                (at->area == Area::Recent && drop->section == Area::Pinned && app->store.pins.size() >= PIN_CAPACITY)) {
                beep_refusal();
            } else {
                pins_changed = move_clip(app->store, *at, drop->section, drop->index);
            }
        }
    }
    finish_store_change({.pins_changed = pins_changed});
}

LRESULT on_capture_changed(HWND window, HWND gaining) {
    if (gaining == window) return 0;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window); toolbar && toolbar->dragging()) {
            redraw_drag(*toolbar, shape_of(*toolbar, app->store).layout);
            toolbar->drag_source.reset();
        }
    return 0;
}

LRESULT on_mouse_wheel(HWND window, int delta) {
    bool changed = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const ToolbarLayout layout = shape_of(*toolbar, app->store).layout;
        const int step = tile_step(layout);
        const int wanted = std::clamp(toolbar->scroll + (-(step * delta)) / 120, 0, max_scroll(layout));
        changed = wanted != toolbar->scroll;
        toolbar->scroll = wanted;
        if (changed) redraw_toolbar(*toolbar);
    }
    if (changed) rebuild_tooltips(window);
    return 0;
}

LRESULT on_right_button_up(HWND window, POINT at) {
    HitTarget target;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        target = hit_test(shape_of(*toolbar, app->store).layout, at.x, at.y);
    } else {
        return 0;
    }
    if (!is_tile(target.kind)) return 0;
    POINT cursor{};
    GetCursorPos(&cursor);
    open_tile_menu(window, target, cursor);
    return 0;
}

}  // namespace korvane
