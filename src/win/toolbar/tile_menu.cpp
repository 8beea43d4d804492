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

// A menu item's id is its command.
UINT_PTR item_id(TileCommand command) { return UINT_PTR(command); }

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
        AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::PastePlainText), L"Paste as plain text");
        AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    }
    if (!clip.pinned) {
        const std::wstring full = L"Pin (" + std::to_wstring(PIN_CAPACITY) + L" pins used)";
        if (clip.pins_full) AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, item_id(TileCommand::Pin), full.c_str());
        else AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::Pin), L"Pin");
    } else {
        AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::Unpin), L"Unpin");
    }
    AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::Rename), L"Rename\u2026");
    if (clip.text) AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::EditText), L"Edit text\u2026");
    if (clip.has_placeholder) AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::Variables), L"Variables\u2026");
    AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::ChangeIcon), L"Change icon\u2026");
    if (clip.custom_icon) AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::ResetIcon), L"Reset icon");
    // A pin moves one place at a time, as Ctrl and an arrow key move it.
    if (clip.pinned && !clip.first_pin) AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::MoveUp), L"Move up");
    if (clip.pinned && !clip.last_pin) AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::MoveDown), L"Move down");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, item_id(TileCommand::Delete), L"Delete");
    SetForegroundWindow(window);
    const UINT chosen = UINT(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
    PostMessageW(window, WM_NULL, 0, 0);
    return chosen;
}

std::optional<TileCommand> tile_command(UINT chosen) {
    if (chosen < UINT(TileCommand::Pin) || chosen > UINT(TileCommand::PastePlainText)) return std::nullopt;  // dismissed
    return TileCommand(chosen);
}

}  // namespace

void open_tile_menu(HWND window, HitTarget tile, POINT at) {
    const std::optional<MenuClip> clip = menu_clip(window, tile);
    if (!clip) return;
    if (const std::optional<TileCommand> command = tile_command(run_menu(window, *clip, at)))
        run_tile_command(*command, clip->id, clip->from_popup);
}

}  // namespace korvane
