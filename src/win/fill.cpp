#include "win/fill.hpp"

#include <variant>

#include "core/fill_layout.hpp"
#include "win/dialog.hpp"
#include "win/wide.hpp"

namespace korvane {
namespace {

constexpr wchar_t FILL_CLASS[] = L"KorvaneFill";
constexpr int ROW_ID_STEP = 64;
constexpr int FIRST_ROW_ID = 1000;

struct FillRecord {
    bool finished = false;
    std::optional<std::vector<ValueList>> result;
    std::vector<VariableDefinition> definitions;
    std::vector<std::vector<HWND>> rows;  // each row's edit, or its option buttons in option order
    HWND message = nullptr;
};

using FillState = DialogRecord<FillRecord>;

void finish(std::optional<std::vector<ValueList>> result) {
    auto record = FillState::borrow();
    record->result = std::move(result);
    record->finished = true;
}

FillReading read_row(VariableKind kind, const std::vector<HWND>& controls) {
    FillReading reading;
    if (has_options(kind)) {
        for (HWND button : controls) reading.checked.push_back(SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (!controls.empty()) {
        reading.text = control_text(controls.front());
    }
    return reading;
}

LRESULT on_paste(HWND) {
    std::vector<VariableDefinition> definitions;
    std::vector<std::vector<HWND>> rows;
    HWND message = nullptr;
    {
        auto record = FillState::borrow();
        definitions = record->definitions;
        rows = record->rows;
        message = record->message;
    }
    std::vector<FillReading> readings;
    for (size_t i = 0; i < rows.size() && i < definitions.size(); ++i)
        readings.push_back(read_row(definitions[i].kind, rows[i]));

    FillOutcome outcome = read_fill_values(definitions, readings);
    if (auto* refusal = std::get_if<FillRefusal>(&outcome)) {
        SetWindowTextW(message, to_wide(refusal->message).c_str());
        MessageBeep(MB_ICONEXCLAMATION);
        HWND edit = rows[refusal->row].front();
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return 0;
    }
    finish(std::move(std::get<std::vector<ValueList>>(outcome)));
    return 0;
}

LRESULT on_command(HWND window, WPARAM wp) {
    switch (LOWORD(wp)) {
    case IDOK: return on_paste(window);
    case IDCANCEL: finish(std::nullopt); return 0;
    }
    return 0;
}

LRESULT on_close() {
    finish(std::nullopt);
    return 0;
}

// Adds one row's input controls and returns them with the one to focus when it is the first row.
std::vector<HWND> add_row_inputs(const Dialog& dialog, const VariableDefinition& definition, const FillRowLayout& row,
                                 int row_index, HWND& focus) {
    std::vector<HWND> controls;
    const int row_id = FIRST_ROW_ID + ROW_ID_STEP * row_index;
    if (!has_options(definition.kind)) {
        const ControlBox& box = row.inputs.front();
        const std::string first = definition.remembered_values.empty() ? std::string() : definition.remembered_values.front();
        HWND edit = add_control(dialog, L"EDIT", to_wide(first), WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
                                WS_EX_CLIENTEDGE, box.x, box.y, box.width, box.height, row_id);
        controls.push_back(edit);
        focus = edit;
        return controls;
    }
    const bool single = definition.kind == VariableKind::SingleChoice;
    const std::vector<bool> checks = initial_checks(definition);
    HWND first_checked = nullptr;
    for (size_t j = 0; j < definition.options.size() && j < row.inputs.size(); ++j) {
        const ControlBox& box = row.inputs[j];
        DWORD style = single ? BS_AUTORADIOBUTTON : BS_AUTOCHECKBOX;
        if (j == 0) style |= WS_GROUP;
        // A radio group is entered by Tab at its checked button; the arrows move within it.
        if (!single || checks[j]) style |= WS_TABSTOP;
        HWND button = add_control(dialog, L"BUTTON", to_wide(definition.options[j]), style, 0, box.x, box.y,
                                  box.width, box.height, row_id + 1 + int(j));
        SendMessageW(button, BM_SETCHECK, checks[j] ? BST_CHECKED : BST_UNCHECKED, 0);
        if (checks[j] && !first_checked) first_checked = button;
        controls.push_back(button);
    }
    focus = first_checked ? first_checked : (controls.empty() ? nullptr : controls.front());
    return controls;
}

}  // namespace

std::optional<std::vector<ValueList>> fill_in(std::string_view title, const std::vector<VariableDefinition>& definitions) {
    FillState::Run run;
    if (!run) return std::nullopt;
    {
        auto record = FillState::borrow();
        for (const VariableDefinition& definition : definitions) record->definitions.push_back(copy_definition(definition));
    }

    const FillLayout layout = layout_fill_in(definitions, int(GetDpiForSystem()));
    Dialog dialog = create_dialog(FILL_CLASS, to_wide(title), layout.client_width, layout.client_height,
                                  dialog_proc<on_command, on_close>);
    if (!dialog.created) return std::nullopt;

    std::vector<std::vector<HWND>> rows;
    HWND focus = nullptr;
    for (size_t i = 0; i < definitions.size(); ++i) {
        const FillRowLayout& row = layout.rows[i];
        add_control(dialog, L"STATIC", to_wide(fill_label(definitions[i])), WS_GROUP, 0, row.label.x, row.label.y,
                    row.label.width, row.label.height, -1);
        HWND row_focus = nullptr;
        rows.push_back(add_row_inputs(dialog, definitions[i], row, int(i), row_focus));
        if (i == 0) focus = row_focus;
    }
    HWND message = add_control(dialog, L"STATIC", L"", WS_GROUP, 0, layout.message.x, layout.message.y,
                               layout.message.width, layout.message.height, -1);
    add_control(dialog, L"BUTTON", L"Paste", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, layout.paste.x,
                layout.paste.y, layout.paste.width, layout.paste.height, IDOK);
    add_control(dialog, L"BUTTON", L"Cancel", WS_TABSTOP, 0, layout.cancel.x, layout.cancel.y, layout.cancel.width,
                layout.cancel.height, IDCANCEL);
    {
        auto record = FillState::borrow();
        record->rows = rows;
        record->message = message;
    }

    if (focus && !definitions.empty() && !has_options(definitions.front().kind)) SendMessageW(focus, EM_SETSEL, 0, -1);
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    if (focus) SetFocus(focus);

    run_modal_loop(dialog.hwnd(), FillState::finished);
    dialog.window.reset();
    dialog.font.reset();
    return std::move(FillState::borrow()->result);
}

}  // namespace korvane
