#include "win/toolbar_input.hpp"

#include <cstdlib>
#include <optional>
#include <string>

#include "core/template.hpp"
#include "win/app.hpp"
#include "win/commands.hpp"
#include "win/editor.hpp"
#include "win/files.hpp"
#include "win/dpi.hpp"
#include "win/icon_file.hpp"
#include "win/popup.hpp"
#include "win/wizard.hpp"

namespace korvane {
namespace {

bool is_tile(HitKind kind) { return kind == HitKind::RecentTile || kind == HitKind::PinnedTile; }

Area area_of(HitKind kind) { return kind == HitKind::PinnedTile ? Area::Pinned : Area::Recent; }

size_t area_size(const ClipStore& store, Area area) {
    return area == Area::Pinned ? store.pins.size() : store.recent.size();
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
    toolbar.drag_source_kind = area == Area::Pinned ? 1 : 0;
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
    if (toolbar.docked) {
        RECT client{};
        GetClientRect(toolbar.window, &client);
        const ToolbarLayout before = layout_of(toolbar, store.recent.size(), store.pins.size());
        if (at.y < scale(76) + scale(24)) toolbar.scroll = std::max(0, toolbar.scroll - scale(12));
        else if (at.y > client.bottom - scale(24)) toolbar.scroll = std::min(toolbar.scroll + scale(12), max_scroll(before));
    }
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
        if (clip.pins_full) AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, PIN, L"Pin (20 pins used)");
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

void run_store_command(UINT command, ClipId id) {
    bool save = false;
    if (AppBorrow app = borrow_app()) {
        if (const std::optional<ClipLocation> at = find_clip(app->store, id)) {
            switch (command) {
            case PIN:
                if (at->area == Area::Recent) save = pin_clip(app->store, at->index);
                break;
            case UNPIN:
                if (at->area == Area::Pinned) save = unpin_clip(app->store, at->index);
                break;
            case DELETE_CLIP: save = delete_clip(app->store, *at); break;
            case RESET_ICON: save = set_custom_icon(app->store, *at, std::nullopt); break;
            }
            if (save) save_pins(app->store.pins);
        }
    }
    refresh_all_toolbars();
}

void change_icon(ClipId id, bool from_popup, HWND main_window) {
    if (from_popup) hide_popup();
    std::optional<Bytes> icon = choose_icon_file(main_window);
    if (!icon) return;
    if (AppBorrow app = borrow_app())
        if (const std::optional<ClipLocation> at = find_clip(app->store, id))
            if (set_custom_icon(app->store, *at, std::move(icon))) save_pins(app->store.pins);
    if (from_popup) show_popup_at_anchor();
    else refresh_all_toolbars();
}

void edit_variables(ClipId id, bool from_popup) {
    std::string text;
    std::vector<VariableDefinition> definitions;
    if (AppBorrow app = borrow_app()) {
        const std::optional<ClipLocation> at = find_clip(app->store, id);
        if (!at) return;
        const Clip& clip = *clip_at(app->store, *at);
        if (clip.content.kind != ClipKind::Text) return;
        text = clip.content.text;
        for (const VariableDefinition& d : clip.variables) definitions.push_back(copy_definition(d));
    } else {
        return;
    }
    if (from_popup) hide_popup();
    SyncedVariables synced = sync_variables(text, definitions);
    std::optional<std::vector<VariableDefinition>> result = run_variables_wizard(synced.definitions, 0);
    if (!result) return;
    if (AppBorrow app = borrow_app())
        if (const std::optional<ClipLocation> at = find_clip(app->store, id))
            if (set_variables(app->store, *at, std::move(*result))) save_pins(app->store.pins);
    refresh_all_toolbars();
}

void rename_or_edit(ClipId id, bool edit_text, bool from_popup) {
    std::optional<std::string> name;
    std::optional<std::string> text;
    std::vector<VariableDefinition> definitions;
    if (AppBorrow app = borrow_app()) {
        const std::optional<ClipLocation> at = find_clip(app->store, id);
        if (!at) return;
        const Clip& clip = *clip_at(app->store, *at);
        name = clip.name;
        if (clip.content.kind == ClipKind::Text) text = clip.content.text;
        for (const VariableDefinition& d : clip.variables) definitions.push_back(copy_definition(d));
    } else {
        return;
    }
    if (from_popup) hide_popup();
    const std::optional<EditorResult> edited =
        run_text_editor(edit_text ? "Edit text" : "Rename", name.value_or(""), text, edit_text);
    if (!edited) return;
    std::optional<std::string> new_text;
    if (text && edited->text && !edited->text->empty() && *edited->text != *text) {
        new_text = *edited->text;
        definitions = define_new_variables(*new_text, definitions);
    }
    if (AppBorrow app = borrow_app()) {
        if (const std::optional<ClipLocation> at = find_clip(app->store, id)) {
            Clip& clip = *clip_at(app->store, *at);
            set_name(clip, edited->name);
            if (new_text && clip.content.kind == ClipKind::Text) {
                set_text(clip, *new_text);
                set_variables(app->store, *at, std::move(definitions));
            }
            if (at->area == Area::Pinned) save_pins(app->store.pins);
        }
    }
    refresh_all_toolbars();
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
    if (is_tile(toolbar->press.kind) && (keys & MK_LBUTTON) && beyond &&
        toolbar->press.index < area_size(store, area_of(toolbar->press.kind))) {
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
    return 0;
}

void drop_clip(HWND window) {
    {
        AppBorrow app = borrow_app();
        ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
        std::optional<DropTarget> drop;
        ClipId dragged = 0;
        if (toolbar) {
            toolbar->drag_source_kind = NO_DRAG;
            drop = toolbar->drop;
            dragged = toolbar->dragged_clip;
        }
        ReleaseCapture();
        if (drop) {
            const std::optional<ClipLocation> at = app ? find_clip(app->store, dragged) : std::nullopt;
            if (!app || !at ||
                (at->area == Area::Recent && drop->section == Area::Pinned && app->store.pins.size() >= PIN_CAPACITY)) {
                MessageBeep(MB_ICONEXCLAMATION);
            } else if (move_clip(app->store, *at, drop->section, drop->index)) {
                save_pins(app->store.pins);
            }
        }
    }
    refresh_all_toolbars();
}

LRESULT on_capture_changed(HWND window, HWND gaining) {
    if (gaining == window) return 0;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window); toolbar && toolbar->dragging()) {
            toolbar->drag_source_kind = NO_DRAG;
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
    HWND main_window = nullptr;
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
        main_window = app->main_window;
    } else {
        return 0;
    }
    switch (const UINT command = run_tile_menu(window, clip)) {
    case PIN:
    case UNPIN:
    case DELETE_CLIP:
    case RESET_ICON: run_store_command(command, clip.id); break;
    case RENAME: rename_or_edit(clip.id, false, clip.from_popup); break;
    case EDIT_TEXT: rename_or_edit(clip.id, true, clip.from_popup); break;
    case CHANGE_ICON: change_icon(clip.id, clip.from_popup, main_window); break;
    case VARIABLES: edit_variables(clip.id, clip.from_popup); break;
    }
    return 0;
}

}  // namespace korvane
