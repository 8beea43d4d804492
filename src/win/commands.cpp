#include "win/commands.hpp"

#include <optional>
#include <string>

#include "win/app.hpp"
#include "win/capture.hpp"
#include "win/dock.hpp"
#include "win/editor.hpp"
#include "win/files.hpp"
#include "win/fill.hpp"
#include "win/paste.hpp"
#include "win/popup.hpp"
#include "win/settings_dialog.hpp"
#include "win/toolbar_input.hpp"
#include "win/wizard.hpp"

namespace korvane {
namespace {

constexpr wchar_t CLEAR_QUESTION[] = L"Clear the recent clips and empty the clipboard?\n\nPinned icons are kept.";

void beep() { MessageBeep(MB_ICONEXCLAMATION); }

}  // namespace

LRESULT on_left_button_up(HWND window, POINT at) {
    HitTarget pressed;
    HitTarget released;
    bool from_popup = false;
    {
        AppBorrow app = borrow_app();
        if (!app) return 0;
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        if (toolbar->dragging()) {
            app.release();
            drop_clip(window);
            return 0;
        }
        const ToolbarLayout layout = layout_of(*toolbar, app->store.recent.size(), app->store.pins.size());
        released = hit_test(layout, at.x, at.y);
        pressed = toolbar->press;
        toolbar->press = {};
        from_popup = !toolbar->docked;
    }
    if (pressed.kind == HitKind::None || pressed.kind != released.kind) return 0;
    switch (released.kind) {
    case HitKind::RecentTile:
    case HitKind::PinnedTile:
        if (pressed.index != released.index) return 0;
        paste_clip(released.kind == HitKind::PinnedTile ? Area::Pinned : Area::Recent, released.index, from_popup);
        break;
    case HitKind::NewTextButton: new_text_pin(from_popup); break;
    case HitKind::SettingsButton: open_settings(from_popup); break;
    case HitKind::ClearButton: clear_recent_command(window, from_popup); break;
    case HitKind::MinimizeButton: minimize_toolbar(); break;
    case HitKind::None: break;
    }
    return 0;
}

void paste_clip(Area area, size_t index, bool from_popup) {
    ClipContent content;
    std::optional<std::string> name;
    ClipId id = 0;
    std::vector<VariableDefinition> definitions;
    HWND main_window = nullptr;
    {
        AppBorrow app = borrow_app();
        if (!app) return;
        Clip* clip = clip_at(app->store, {area, index});
        if (!clip || (clip->content.kind == ClipKind::Files && check_missing_files(*clip, path_check()))) {
            app.release();
            beep();
            refresh_all_toolbars();
            return;
        }
        content = clip->content;
        name = clip->name;
        id = clip->id;
        for (const VariableDefinition& d : clip->variables) definitions.push_back(copy_definition(d));
        main_window = app->main_window;
    }
    if (from_popup) hide_popup();
    if (content.kind == ClipKind::Text && !definitions.empty()) {
        std::vector<VariableDefinition> synced = sync_variables(content.text, definitions).definitions;
        const std::string title = name ? "Fill in: " + *name : "Fill in";
        const std::optional<std::vector<ValueList>> values = fill_in(title, synced);
        if (!values) return;
        Substitution result = substitute(content.text, synced, *values);
        if (AppBorrow app = borrow_app())
            if (const std::optional<ClipLocation> at = find_clip(app->store, id))
                if (set_variables(app->store, *at, std::move(result.definitions))) save_pins(app->store.pins);
        content = ClipContent::make_text(std::move(result.text));
    }
    if (!write_clip_to_clipboard(main_window, content)) {
        beep();
        return;
    }
    if (!paste_into_target()) beep();
}

std::vector<VariableDefinition> define_new_variables(std::string_view text,
                                                     const std::vector<VariableDefinition>& definitions) {
    SyncedVariables synced = sync_variables(text, definitions);
    if (!synced.first_created) return std::move(synced.definitions);
    if (std::optional<std::vector<VariableDefinition>> chosen =
            run_variables_wizard(synced.definitions, *synced.first_created))
        return std::move(*chosen);
    return std::move(synced.definitions);
}

void new_text_pin(bool from_popup) {
    {
        AppBorrow app = borrow_app();
        if (!app || app->store.pins.size() >= PIN_CAPACITY) {
            app.release();
            beep();
            return;
        }
    }
    if (from_popup) hide_popup();
    const std::optional<EditorResult> edited = run_text_editor("New text icon", "", std::string(), false);
    if (!edited || !edited->text || edited->text->empty()) return;
    std::vector<VariableDefinition> definitions = define_new_variables(*edited->text, {});
    if (AppBorrow app = borrow_app())
        if (add_pin(app->store, ClipContent::make_text(*edited->text), edited->name, std::move(definitions)))
            save_pins(app->store.pins);
    refresh_all_toolbars();
}

void open_settings(bool from_popup) {
    if (from_popup) hide_popup();
    run_settings_dialog();
}

void clear_recent_command(HWND window, bool from_popup) {
    HWND owner = window;
    if (from_popup) {
        hide_popup();
        owner = nullptr;
    }
    if (MessageBoxW(owner, CLEAR_QUESTION, L"Korvane", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST) != IDYES)
        return;
    HWND main_window = nullptr;
    if (AppBorrow app = borrow_app()) {
        clear_recent(app->store);
        main_window = app->main_window;
    }
    if (main_window && open_clipboard_retrying(main_window)) {
        EmptyClipboard();
        CloseClipboard();
    }
    refresh_all_toolbars();
}

}  // namespace korvane
