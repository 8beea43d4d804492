#include "win/toolbar/commands.hpp"

#include <optional>
#include <string>

#include "core/editor_rules.hpp"
#include "core/text.hpp"
#include "core/tooltip_text.hpp"
#include "win/app/app.hpp"
#include "win/support/beep.hpp"
#include "win/clipboard/capture.hpp"
#include "win/dialogs/dialog_in_use.hpp"
#include "win/shell/dock.hpp"
#include "win/dialogs/editor.hpp"
#include "win/storage/files.hpp"
#include "win/dialogs/fill.hpp"
#include "win/pictures/custom_icon_file.hpp"
#include "win/clipboard/paste.hpp"
#include "win/shell/popup.hpp"
#include "win/dialogs/settings_dialog.hpp"
#include "win/toolbar/toolbar_input.hpp"
#include "win/support/wide.hpp"
#include "win/support/wipe.hpp"
#include "win/dialogs/wizard.hpp"

namespace korvane {
namespace {

constexpr wchar_t CLEAR_QUESTION[] = L"Clear the recent clips and empty the clipboard?\n\nPinned icons are kept.";
constexpr char DELETE_PIN_QUESTION[] = "Delete this pinned clip?\n\n";

// The pin's first tooltip line, cut short: enough to tell which pin the question is about.
std::string delete_question_label(const Clip& clip) {
    std::string label = tile_tooltip_text(clip);
    label = label.substr(0, label.find('\n'));
    const std::u16string units = utf8_to_utf16(label);
    if (units.size() > 80) label = utf16_to_utf8(std::u16string_view(units).substr(0, 80)) + "\u2026";
    return label;
}

std::vector<VariableDefinition> copy_definitions(const std::vector<VariableDefinition>& definitions) {
    std::vector<VariableDefinition> copies;
    copies.reserve(definitions.size());
    for (const VariableDefinition& d : definitions) copies.push_back(copy_definition(d));
    return copies;
}

// A dialog's result is for the text and definitions it was opened on: when another dialog has
// changed them meanwhile, the later change stands and this result is dropped with a beep.  A
// clip that has gone is not out of date: there is nothing to compare.
bool out_of_date(ClipId id, uint64_t edits_when_opened) {
    AppBorrow app = borrow_app();
    if (!app) return false;
    const std::optional<ClipLocation> at = find_clip(app->store, id);
    if (!at || clip_at(app->store, *at)->edits == edits_when_opened) return false;
    app.release();
    beep_refusal();
    return true;
}

// A pasted text goes to the clipboard as UTF-16 with its terminator, in one block no larger than
// the largest block the program reads back.
bool fits_one_clipboard_block(std::string_view text) {
    return (utf16_length(text) + 1) * 2 <= MAX_CLIPBOARD_BLOCK;
}

// What the fill-in returned, wiped on every way out: it may hold a secret.
struct FilledValues {
    std::optional<std::vector<ValueList>> lists;
    ~FilledValues() {
        if (lists) wipe(*lists);
    }
};

struct FilledTemplate {
    std::string text;
    bool secret = false;  // a secret's value is in the text
};

// A template's text with its values filled in; nothing when the fill-in was cancelled or the
// result cannot be pasted (then the refusal has been sounded).
std::optional<FilledTemplate> fill_in_template(ClipId id, uint64_t edits, const std::string& text,
                                               const std::optional<std::string>& name,
                                               const std::vector<VariableDefinition>& definitions) {
    const DialogInUse dialog(DialogKind::FillIn);
    if (!dialog) return std::nullopt;
    const std::vector<VariableDefinition> synced = sync_variables(text, definitions).definitions;
    const FilledValues values{fill_in(name ? "Fill in: " + *name : "Fill in", synced)};
    if (!values.lists || out_of_date(id, edits)) return std::nullopt;
    Substitution result = substitute(text, synced, *values.lists, MAX_CLIPBOARD_BLOCK);
    if (result.too_long || !fits_one_clipboard_block(result.text)) {
        wipe(result.text);
        beep_refusal();
        return std::nullopt;
    }
    bool pinned = false;
    if (AppBorrow app = borrow_app())
        if (const std::optional<ClipLocation> at = find_clip(app->store, id))
            pinned = set_variables(app->store, *at, std::move(result.definitions));
    finish_store_change({.pins_changed = pinned, .refresh = false});
    // Swapped, not moved: a short text moved out of its inner buffer would stay there too.
    std::optional<FilledTemplate> filled(std::in_place);
    filled->text.swap(result.text);
    filled->secret = result.secret;
    wipe(result.text);
    return filled;
}

// Pin, Unpin, Delete, Reset icon, Move up and Move down: one change of the store, no dialog.
void change_store(TileCommand command, ClipId id) {
    bool pins_changed = false;
    if (AppBorrow app = borrow_app()) {
        if (const std::optional<ClipLocation> at = find_clip(app->store, id)) {
            switch (command) {
            case TileCommand::Pin:
                if (at->area == Area::Recent) pins_changed = pin_clip(app->store, at->index);
                break;
            case TileCommand::Unpin:
                if (at->area == Area::Pinned) pins_changed = unpin_clip(app->store, at->index);
                break;
            case TileCommand::Delete: pins_changed = delete_clip(app->store, *at); break;
            case TileCommand::ResetIcon: pins_changed = set_custom_icon(app->store, *at, std::nullopt); break;
            case TileCommand::MoveUp:
                if (at->area == Area::Pinned && at->index > 0)
                    pins_changed = move_clip(app->store, *at, Area::Pinned, at->index - 1);
                break;
            case TileCommand::MoveDown:  // past the next pin, which is where a drop lands after it
                if (at->area == Area::Pinned && at->index + 1 < app->store.pins.size())
                    pins_changed = move_clip(app->store, *at, Area::Pinned, at->index + 2);
                break;
            default: break;
            }
        }
    }
    finish_store_change({.pins_changed = pins_changed});
}

void change_icon(ClipId id, bool from_popup) {
    HWND main_window = nullptr;
    if (AppBorrow app = borrow_app()) main_window = app->main_window;
    else return;
    if (from_popup) hide_popup();
    std::optional<Bytes> icon = choose_icon_file(main_window);
    if (!icon) return;
    bool pins_changed = false;
    if (AppBorrow app = borrow_app())
        if (const std::optional<ClipLocation> at = find_clip(app->store, id))
            pins_changed = set_custom_icon(app->store, *at, std::move(icon));
    finish_store_change({.pins_changed = pins_changed, .show_popup_again = from_popup});
}

// A dialog opened from the popup leaves it closed: when the dialog's command is over, the
// keyboard goes back to the window it came from, as after the settings and the Delete question.
class KeyboardBackAfterDialog {
public:
    explicit KeyboardBackAfterDialog(bool from_popup) : from_popup_(from_popup) {}
    KeyboardBackAfterDialog(const KeyboardBackAfterDialog&) = delete;
    KeyboardBackAfterDialog& operator=(const KeyboardBackAfterDialog&) = delete;
    ~KeyboardBackAfterDialog() {
        if (from_popup_) return_to_paste_target();
    }

private:
    bool from_popup_;
};

// What the editor and the wizard start from, copied while the record is borrowed.
struct ClipCopy {
    std::optional<std::string> name;
    std::optional<std::string> text;  // text clips only
    std::vector<VariableDefinition> definitions;
    uint64_t edits = 0;
};

std::optional<ClipCopy> copy_clip(ClipId id) {
    AppBorrow app = borrow_app();
    if (!app) return std::nullopt;
    const std::optional<ClipLocation> at = find_clip(app->store, id);
    if (!at) return std::nullopt;
    const Clip& clip = *clip_at(app->store, *at);
    ClipCopy copy{clip.name, std::nullopt, copy_definitions(clip.variables), clip.edits};
    if (clip.content.kind == ClipKind::Text) copy.text = clip.content.text;
    return copy;
}

void edit_variables(ClipId id, bool from_popup) {
    const std::optional<ClipCopy> clip = copy_clip(id);
    if (!clip || !clip->text) return;
    const DialogInUse dialog(DialogKind::Wizard);
    if (!dialog) return;
    if (from_popup) hide_popup();
    const KeyboardBackAfterDialog keyboard_back(from_popup);
    std::optional<std::vector<VariableDefinition>> result =
        run_variables_wizard(sync_variables(*clip->text, clip->definitions).definitions, 0);
    if (!result || out_of_date(id, clip->edits)) return;
    bool pins_changed = false;
    if (AppBorrow app = borrow_app())
        if (const std::optional<ClipLocation> at = find_clip(app->store, id))
            pins_changed = set_variables(app->store, *at, std::move(*result));
    finish_store_change({.pins_changed = pins_changed});
}

enum class EditorUse { Rename, EditText };

// Definitions in step with the text; the wizard asks about any name that is new.
std::vector<VariableDefinition> define_new_variables(std::string_view text,
                                                     const std::vector<VariableDefinition>& definitions) {
    SyncedVariables synced = sync_variables(text, definitions);
    if (!synced.first_created) return std::move(synced.definitions);
    // With the wizard open elsewhere the new names keep their free-text definitions.
    const DialogInUse dialog(DialogKind::Wizard);
    if (!dialog) return std::move(synced.definitions);
    if (std::optional<std::vector<VariableDefinition>> chosen =
            run_variables_wizard(synced.definitions, *synced.first_created))
        return std::move(*chosen);
    return std::move(synced.definitions);
}

void open_in_editor(ClipId id, EditorUse use, bool from_popup) {
    const std::optional<ClipCopy> clip = copy_clip(id);
    if (!clip) return;
    const DialogInUse dialog(DialogKind::Editor);
    if (!dialog) return;
    if (from_popup) hide_popup();
    const KeyboardBackAfterDialog keyboard_back(from_popup);
    const bool edit_text = use == EditorUse::EditText;
    const std::optional<EditorResult> edited =
        run_text_editor(edit_text ? "Edit text" : "Rename", clip->name.value_or(""), clip->text, edit_text);
    if (!edited) return;
    // The editor hands the text back with CR LF line breaks; compared in that form, a text left as
    // it was keeps its own bytes.
    std::optional<std::string> new_text;
    std::vector<VariableDefinition> definitions;
    if (clip->text && edited->text && !edited->text->empty() && *edited->text != crlf_line_breaks(*clip->text)) {
        new_text = *edited->text;
        definitions = define_new_variables(*new_text, clip->definitions);
    }
    if (out_of_date(id, clip->edits)) return;
    bool pins_changed = false;
    if (AppBorrow app = borrow_app()) {
        if (const std::optional<ClipLocation> at = find_clip(app->store, id)) {
            Clip& found = *clip_at(app->store, *at);
            set_name(found, edited->name);
            if (new_text && found.content.kind == ClipKind::Text) {
                set_text(found, *new_text);
                set_variables(app->store, *at, std::move(definitions));
            }
            pins_changed = at->area == Area::Pinned;
        }
    }
    finish_store_change({.pins_changed = pins_changed});
}

}  // namespace

void finish_store_change(const StoreChange& change) {
    if (change.pins_changed) {
        std::optional<std::string> error;
        bool written = false;
        if (AppBorrow app = borrow_app()) {
            error = write_pins_file(app->store.pins);
            written = true;
        }
        if (written) report_pins_save(error);
    }
    if (change.show_popup_again) show_popup_at_anchor();
    else if (change.refresh) refresh_all_toolbars();
}

LRESULT on_left_button_up(HWND window, POINT at, bool shift) {
    HitTarget pressed;
    HitTarget released;
    ClipId clip = 0;
    bool same_clip = false;
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
        const ToolbarShape shape = shape_of(*toolbar, app->store);
        released = hit_test(shape.layout, at.x, at.y);
        pressed = toolbar->press;
        // A copy between the press and the release shifts the Recent list: the release must find
        // the clip that was pressed, not whichever one moved into its place.
        if (const Clip* found = tile_clip(app->store, shape, released)) {
            clip = found->id;
            same_clip = clip == toolbar->pressed_clip;
        }
        toolbar->press = {};
        from_popup = !toolbar->docked;
    }
    if (pressed.kind == HitKind::None || pressed != released) return 0;
    if (is_tile(released.kind) && !same_clip) return 0;
    run_target_command(window, released, clip, from_popup, shift ? PasteAs::PlainText : PasteAs::Copied);
    return 0;
}

namespace {

void new_text_pin(bool from_popup) {
    {
        AppBorrow app = borrow_app();
        if (!app || app->store.pins.size() >= PIN_CAPACITY) {
            app.release();
            beep_refusal();
            return;
        }
    }
    const DialogInUse dialog(DialogKind::Editor);
    if (!dialog) return;
    if (from_popup) hide_popup();
    const KeyboardBackAfterDialog keyboard_back(from_popup);
    const std::optional<EditorResult> edited = run_text_editor("New text icon", "", std::string(), false);
    if (!edited || !edited->text || edited->text->empty()) return;
    std::vector<VariableDefinition> definitions = define_new_variables(*edited->text, {});
    bool added = false;
    if (AppBorrow app = borrow_app())
        added = add_pin(app->store, ClipContent::make_text(*edited->text), edited->name, std::move(definitions));
    finish_store_change({.pins_changed = added});
}


void clear_recent_command(HWND window, bool from_popup) {
    HWND owner = window;
    if (from_popup) {
        hide_popup();
        owner = nullptr;
    }
    const int answer = MessageBoxW(owner, CLEAR_QUESTION, L"Korvane", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST);
    if (from_popup) return_to_paste_target();
    if (answer != IDYES) return;
    HWND main_window = nullptr;
    if (AppBorrow app = borrow_app()) {
        clear_recent(app->store);
        main_window = app->main_window;
    }
    if (main_window)
        if (const ClipboardSession clipboard(open_clipboard_retrying(main_window)); clipboard) EmptyClipboard();
    finish_store_change({});
}

}  // namespace

void run_target_command(HWND window, HitTarget target, ClipId clip, bool from_popup, PasteAs as) {
    switch (target.kind) {
    case HitKind::RecentTile:
    case HitKind::PinnedTile: paste_clip(clip, from_popup, as); break;
    case HitKind::NewTextButton: new_text_pin(from_popup); break;
    case HitKind::SettingsButton: open_settings(from_popup); break;
    case HitKind::ClearButton: clear_recent_command(window, from_popup); break;
    case HitKind::MinimizeButton: minimize_toolbar(); break;
    case HitKind::None: break;
    }
}

void delete_from_keyboard(ClipId id, bool from_popup) {
    std::optional<std::string> pin_label;
    if (AppBorrow app = borrow_app()) {
        const std::optional<ClipLocation> at = find_clip(app->store, id);
        if (!at) return;
        if (at->area == Area::Pinned) pin_label = delete_question_label(*clip_at(app->store, *at));
    } else {
        return;
    }
    if (pin_label) {
        if (from_popup) hide_popup();
        const std::wstring question = to_wide(DELETE_PIN_QUESTION + *pin_label);
        const int answer = MessageBoxW(nullptr, question.c_str(), L"Korvane",
                                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST);
        if (from_popup) return_to_paste_target();
        if (answer != IDYES) return;
    }
    change_store(TileCommand::Delete, id);
}

void paste_clip(ClipId id, bool from_popup, PasteAs as) {
    ClipContent content;
    std::optional<std::string> name;
    std::vector<VariableDefinition> definitions;
    uint64_t edits = 0;
    HWND main_window = nullptr;
    {
        AppBorrow app = borrow_app();
        if (!app) return;
        const std::optional<ClipLocation> at = find_clip(app->store, id);
        Clip* clip = at ? clip_at(app->store, *at) : nullptr;
        if (!clip || (clip->content.kind == ClipKind::Files && check_missing_files(*clip, path_check()))) {
            app.release();
            beep_refusal();
            refresh_all_toolbars();
            return;
        }
        content = clip->content;
        name = clip->name;
        definitions = copy_definitions(clip->variables);
        edits = clip->edits;
        main_window = app->main_window;
    }
    if (from_popup) hide_popup();
    // Only a text has a plain form; a picture or a file list is pasted as it was copied.
    PasteWrite how{.plain_text = as == PasteAs::PlainText && content.kind == ClipKind::Text};
    if (content.kind == ClipKind::Text && !definitions.empty()) {
        std::optional<FilledTemplate> filled = fill_in_template(id, edits, content.text, name, definitions);
        if (!filled) return;
        // The formatting was of the template's own text and cannot follow the values; what its
        // owner asked of clipboard histories still holds, and a secret keeps the text out of them.
        content.text.swap(filled->text);
        how.plain_text = true;
        how.secret = filled->secret;
    }
    const bool written = write_clip_to_clipboard(main_window, content, how);
    // Once on the clipboard, the clipboard is the only place a secret is kept.
    if (how.secret) wipe(content.text);
    if (!written) {
        beep_refusal();
        return;
    }
    if (!paste_into_target()) beep_refusal();
}

// The popup stays closed after the dialog, so the keyboard goes back to the window it came from.
void open_settings(bool from_popup) {
    if (from_popup) hide_popup();
    run_settings_dialog();
    if (from_popup) return_to_paste_target();
}

void run_tile_command(TileCommand command, ClipId id, bool from_popup) {
    switch (command) {
    case TileCommand::Pin:
    case TileCommand::Unpin:
    case TileCommand::Delete:
    case TileCommand::ResetIcon:
    case TileCommand::MoveUp:
    case TileCommand::MoveDown: change_store(command, id); break;
    case TileCommand::Rename: open_in_editor(id, EditorUse::Rename, from_popup); break;
    case TileCommand::EditText: open_in_editor(id, EditorUse::EditText, from_popup); break;
    case TileCommand::ChangeIcon: change_icon(id, from_popup); break;
    case TileCommand::Variables: edit_variables(id, from_popup); break;
    case TileCommand::PastePlainText: paste_clip(id, from_popup, PasteAs::PlainText); break;
    }
}

}  // namespace korvane
