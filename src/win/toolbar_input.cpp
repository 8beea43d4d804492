#include "win/toolbar_input.hpp"

#include <cstdlib>
#include <optional>
#include <string>

#include "core/template.hpp"
#include "win/app.hpp"
#include "win/beep.hpp"
#include "win/commands.hpp"
#include "win/toolbar_tooltips.hpp"

namespace korvane {
namespace {

// A drag takes the clip that was pressed, only while it is still where it was pressed.
bool pressed_clip_in_place(const ToolbarState& toolbar, ClipStore& store) {
    const Clip* clip = clip_at(store, {area_of(toolbar.press.kind), size_t(toolbar.press.index)});
    return clip && clip->id == toolbar.pressed_clip;
}

void track_leave(HWND window) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
}

void update_hover(ToolbarState& toolbar, const ToolbarLayout& layout, POINT at) {
    const HitTarget target = hit_test(layout, at.x, at.y);
    if (target == toolbar.hover) return;
    toolbar.hover = target;
    InvalidateRect(toolbar.window, nullptr, FALSE);
}

void start_drag(ToolbarState& toolbar, ClipStore& store, const ToolbarLayout& layout, POINT at) {
    const Area area = area_of(toolbar.press.kind);
    const Rect tile = tile_rect(layout, area, toolbar.press.index);
    toolbar.drag_source = area;
    toolbar.drag_source_index = toolbar.press.index;
    toolbar.grab_offset = POINT{toolbar.press_point.x - tile.left, toolbar.press_point.y - tile.top};
    toolbar.dragged_clip = clip_at(store, {area, toolbar.press.index})->id;
    toolbar.drop = drop_target_at(layout, at.x, at.y);
    toolbar.cursor = at;
    toolbar.press = {};
    toolbar.hover = {};
    SetCapture(toolbar.window);
    InvalidateRect(toolbar.window, nullptr, FALSE);
}

void continue_drag(ToolbarState& toolbar, const ClipStore& store, POINT at) {
    toolbar.scroll = auto_scrolled(layout_of(toolbar, store.recent.size(), store.pins.size()), at.y);
    const ToolbarLayout layout = layout_of(toolbar, store.recent.size(), store.pins.size());
    toolbar.drop = drop_target_at(layout, at.x, at.y);
    toolbar.cursor = at;
    InvalidateRect(toolbar.window, nullptr, FALSE);
}

// What the tile menu needs to know of its clip, read before the menu runs.
struct MenuClip {
    ClipId id;
    bool pinned;
    bool pins_full;
    bool text;
    bool has_placeholder;
    bool custom_icon;
    bool from_popup;
};

enum MenuCommand : UINT { PIN = 1, UNPIN = 2, RENAME = 3, EDIT_TEXT = 4, DELETE_CLIP = 5, CHANGE_ICON = 6, RESET_ICON = 7, VARIABLES = 8 };

UINT run_tile_menu(HWND window, const MenuClip& clip) {
    OwnedMenu menu(CreatePopupMenu());
    if (!clip.pinned) {
        const std::wstring full = L"Pin (" + std::to_wstring(PIN_CAPACITY) + L" pins used)";
        if (clip.pins_full) AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, PIN, full.c_str());
        else AppendMenuW(menu.get(), MF_STRING, PIN, L"Pin");
    } else {
        AppendMenuW(menu.get(), MF_STRING, UNPIN, L"Unpin");
    }
    AppendMenuW(menu.get(), MF_STRING, RENAME, L"Rename\u2026");
    if (clip.text) AppendMenuW(menu.get(), MF_STRING, EDIT_TEXT, L"Edit text\u2026");
    if (clip.has_placeholder) AppendMenuW(menu.get(), MF_STRING, VARIABLES, L"Variables\u2026");
    AppendMenuW(menu.get(), MF_STRING, CHANGE_ICON, L"Change icon\u2026");
    if (clip.custom_icon) AppendMenuW(menu.get(), MF_STRING, RESET_ICON, L"Reset icon");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, DELETE_CLIP, L"Delete");
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    const UINT chosen = UINT(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr));
    PostMessageW(window, WM_NULL, 0, 0);
    return chosen;
}

std::optional<TileCommand> tile_command(UINT chosen) {
    switch (chosen) {
    case PIN: return TileCommand::Pin;
    case UNPIN: return TileCommand::Unpin;
    case RENAME: return TileCommand::Rename;
    case EDIT_TEXT: return TileCommand::EditText;
    case DELETE_CLIP: return TileCommand::Delete;
    case CHANGE_ICON: return TileCommand::ChangeIcon;
    case RESET_ICON: return TileCommand::ResetIcon;
    case VARIABLES: return TileCommand::Variables;
    }
    return std::nullopt;  // the menu was dismissed
}

}  // namespace

LRESULT on_mouse_move(HWND window, WPARAM keys, POINT at) {
    track_leave(window);
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return 0;
    ClipStore& store = app->store;
    if (toolbar->dragging()) {
        continue_drag(*toolbar, store, at);
        return 0;
    }
    const ToolbarLayout layout = layout_of(*toolbar, store.recent.size(), store.pins.size());
    const int dx = std::abs(at.x - toolbar->press_point.x);
    const int dy = std::abs(at.y - toolbar->press_point.y);
    const bool beyond = dx > GetSystemMetrics(SM_CXDRAG) || dy > GetSystemMetrics(SM_CYDRAG);
    if (is_tile(toolbar->press.kind) && (keys & MK_LBUTTON) && beyond && pressed_clip_in_place(*toolbar, store)) {
        start_drag(*toolbar, store, layout, at);
        return 0;
    }
    update_hover(*toolbar, layout, at);
    return 0;
}

LRESULT on_left_button_down(HWND window, POINT at) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return 0;
    const ToolbarLayout layout = layout_of(*toolbar, app->store.recent.size(), app->store.pins.size());
    toolbar->press = hit_test(layout, at.x, at.y);
    toolbar->press_point = at;
    const Clip* pressed = is_tile(toolbar->press.kind)
                              ? clip_at(app->store, {area_of(toolbar->press.kind), size_t(toolbar->press.index)})
                              : nullptr;
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
            toolbar->drag_source.reset();
            InvalidateRect(window, nullptr, FALSE);
        }
    return 0;
}

LRESULT on_mouse_wheel(HWND window, int delta) {
    bool changed = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const ToolbarLayout layout = layout_of(*toolbar, app->store.recent.size(), app->store.pins.size());
        const int step = tile_step(layout);
        const int wanted = std::clamp(toolbar->scroll + (-(step * delta)) / 120, 0, max_scroll(layout));
        changed = wanted != toolbar->scroll;
        toolbar->scroll = wanted;
    }
    if (changed) {
        rebuild_tooltips(window);
        InvalidateRect(window, nullptr, FALSE);
    }
    return 0;
}

LRESULT on_right_button_up(HWND window, POINT at) {
    MenuClip clip{};
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const ToolbarLayout layout = layout_of(*toolbar, app->store.recent.size(), app->store.pins.size());
        const HitTarget target = hit_test(layout, at.x, at.y);
        if (!is_tile(target.kind)) return 0;
        const Clip* found = clip_at(app->store, {area_of(target.kind), target.index});
        if (!found) return 0;
        clip = MenuClip{found->id,
                        target.kind == HitKind::PinnedTile,
                        app->store.pins.size() >= PIN_CAPACITY,
                        found->content.kind == ClipKind::Text,
                        found->content.kind == ClipKind::Text && !placeholder_names(found->content.text).empty(),
                        found->custom_icon.has_value(),
                        !toolbar->docked};
    } else {
        return 0;
    }
    if (const std::optional<TileCommand> command = tile_command(run_tile_menu(window, clip)))
        run_tile_command(*command, clip.id, clip.from_popup);
    return 0;
}

}  // namespace korvane
