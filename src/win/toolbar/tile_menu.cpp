#include "win/toolbar/tile_menu.hpp"

#include <optional>
#include <string>

#include "core/template.hpp"
#include "win/app/app.hpp"
#include "win/toolbar/commands.hpp"

namespace korvane {
namespace {

// What the menu needs to know of its clip, read before the menu runs.
struct MenuClip {
    ClipId id;
    bool pinned;
    bool pins_full;
    bool text;
    bool formatted;
    bool has_placeholder;
    bool custom_icon;
    bool from_popup;
    bool first_pin;
    bool last_pin;
};

enum MenuCommand : UINT {
    PIN = 1, UNPIN = 2, RENAME = 3, EDIT_TEXT = 4, DELETE_CLIP = 5, CHANGE_ICON = 6, RESET_ICON = 7, VARIABLES = 8,
    MOVE_UP = 9, MOVE_DOWN = 10, PASTE_PLAIN_TEXT = 11
};

std::optional<MenuClip> menu_clip(HWND window, HitTarget tile) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar || !is_tile(tile.kind)) return std::nullopt;
    const Clip* found = tile_clip(app->store, shape_of(*toolbar, app->store), tile);
    if (!found) return std::nullopt;
    return MenuClip{found->id,
                    tile.kind == HitKind::PinnedTile,
                    app->store.pins.size() >= PIN_CAPACITY,
                    found->content.kind == ClipKind::Text,
                    found->content.kind == ClipKind::Text && !found->content.companions.empty(),
                    found->content.kind == ClipKind::Text && !placeholder_names(found->content.text).empty(),
                    found->custom_icon.has_value(),
                    !toolbar->docked,
                    !app->store.pins.empty() && found->id == app->store.pins.front().id,
                    !app->store.pins.empty() && found->id == app->store.pins.back().id};
}

UINT run_menu(HWND window, const MenuClip& clip, POINT at) {
    OwnedMenu menu(CreatePopupMenu());
    if (clip.formatted) {
        AppendMenuW(menu.get(), MF_STRING, PASTE_PLAIN_TEXT, L"Paste as plain text");
        AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    }
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
    // A pin moves one place at a time, as Ctrl and an arrow key move it.
    if (clip.pinned && !clip.first_pin) AppendMenuW(menu.get(), MF_STRING, MOVE_UP, L"Move up");
    if (clip.pinned && !clip.last_pin) AppendMenuW(menu.get(), MF_STRING, MOVE_DOWN, L"Move down");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, DELETE_CLIP, L"Delete");
    SetForegroundWindow(window);
    const UINT chosen = UINT(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
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
    case MOVE_UP: return TileCommand::MoveUp;
    case MOVE_DOWN: return TileCommand::MoveDown;
    case PASTE_PLAIN_TEXT: return TileCommand::PastePlainText;
    }
    return std::nullopt;  // the menu was dismissed
}

}  // namespace

void open_tile_menu(HWND window, HitTarget tile, POINT at) {
    const std::optional<MenuClip> clip = menu_clip(window, tile);
    if (!clip) return;
    if (const std::optional<TileCommand> command = tile_command(run_menu(window, *clip, at)))
        run_tile_command(*command, clip->id, clip->from_popup);
}

}  // namespace korvane
