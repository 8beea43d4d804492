#include "win/dialogs/editor.hpp"

#include "core/editor_layout.hpp"
#include "core/editor_rules.hpp"
#include "win/dialogs/dialog.hpp"
#include "win/support/guarded.hpp"
#include "win/support/wide.hpp"
#include "win/support/dpi.hpp"

namespace korvane {
namespace {

constexpr wchar_t EDITOR_CLASS[] = L"KorvaneEditor";
constexpr int NAME_ID = 100;
constexpr int TEXT_ID = 101;

struct EditorRecord {
    bool finished = false;
    std::optional<EditorResult> result;
    HWND name_field = nullptr;
    HWND text_field = nullptr;
};

using EditorState = DialogRecord<EditorRecord>;

LRESULT on_ok() {
    HWND name_field = nullptr;
    HWND text_field = nullptr;
    {
        auto record = EditorState::borrow();
        name_field = record->name_field;
        text_field = record->text_field;
    }
    EditorResult result;
    result.name = editor_name(control_text(name_field));
    if (text_field) result.text = control_text(text_field);
    auto record = EditorState::borrow();
    record->result = std::move(result);
    record->finished = true;
    return 0;
}

LRESULT on_cancel() {
    EditorState::borrow()->finished = true;
    return 0;
}

LRESULT on_command(HWND, WPARAM wp) {
    switch (LOWORD(wp)) {
    case IDOK: return on_ok();
    case IDCANCEL: return on_cancel();
    }
    return 0;
}

}  // namespace

std::optional<EditorResult> run_text_editor(std::string_view title, std::string_view initial_name,
                                            std::optional<std::string_view> initial_text, bool focus_text) {
    EditorState::Run run;
    const SystemDpiWindows system_dpi_windows;  // laid out once, at the system DPI
    if (!run) return std::nullopt;

    const EditorLayout layout = layout_text_editor(initial_text.has_value(), int(system_dpi()));
    Dialog dialog = create_dialog(EDITOR_CLASS, to_wide(title), layout.client_width, layout.client_height,
                                  guarded<dialog_proc<on_command, on_cancel>>);
    if (!dialog.created) return std::nullopt;

    // The first control and OK start groups, so that the arrow keys move only between OK and
    // Cancel.
    add_control(dialog, L"STATIC", L"Name (shown when you hover over the icon):", WS_GROUP, 0, layout.name_label, -1);
    HWND name_field = add_control(dialog, L"EDIT", to_wide(initial_name), WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                              layout.name_field, NAME_ID);
    allow_long_text(name_field);
    HWND text_field = nullptr;
    if (initial_text) {
        add_control(dialog, L"STATIC", L"Text to paste:", 0, 0, *layout.text_label, -1);
        text_field = add_control(dialog, L"EDIT", to_wide(crlf_line_breaks(*initial_text)),
                             WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE,
                             *layout.text_field, TEXT_ID);
        allow_long_text(text_field);
        add_control(dialog, L"STATIC", L"Use ${name} for a value to fill in each time you paste.", 0, 0, *layout.hint, -1);
    }
    add_control(dialog, L"BUTTON", L"OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, layout.ok, IDOK);
    add_control(dialog, L"BUTTON", L"Cancel", WS_TABSTOP, 0, layout.cancel, IDCANCEL);
    {
        auto record = EditorState::borrow();
        record->name_field = name_field;
        record->text_field = text_field;
    }

    HWND focus = focus_text && text_field ? text_field : name_field;
    SendMessageW(focus, EM_SETSEL, 0, -1);
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    SetFocus(focus);

    run_modal_loop(dialog.hwnd(), EditorState::finished);
    dialog.window.reset();
    dialog.font.reset();
    return std::move(EditorState::borrow()->result);
}

}  // namespace korvane
