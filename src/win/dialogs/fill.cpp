#include "win/dialogs/fill.hpp"

#include <variant>

#include "core/fill_layout.hpp"
#include "win/support/beep.hpp"
#include "win/dialogs/dialog.hpp"
#include "win/support/guarded.hpp"
#include "win/support/wide.hpp"
#include "win/support/dpi.hpp"
#include "win/support/wipe.hpp"

namespace korvane {
namespace {

constexpr wchar_t FILL_CLASS[] = L"KorvaneFill";
// The viewport with the scroll bar and, inside it, the window that holds the rows and moves up
// and down; both are of this class.
constexpr wchar_t ROWS_CLASS[] = L"KorvaneFillRows";
constexpr int SCROLL_LINE = 22;  // DIPs: one line of option buttons

struct FillRecord {
    bool finished = false;
    std::optional<std::vector<ValueList>> result;
    std::vector<VariableDefinition> definitions;
    std::vector<std::vector<HWND>> rows;  // each row's edit, or its option buttons in option order
    HWND message = nullptr;

    // Set only when the rows scroll.
    HWND viewport = nullptr;
    HWND rows_window = nullptr;
    FillLayout layout;
    int viewport_height = 0;
    int offset = 0;
    int wheel_remainder = 0;
    int dpi = 96;
};

using FillState = DialogRecord<FillRecord>;

void finish(std::optional<std::vector<ValueList>> result) {
    auto record = FillState::borrow();
    record->result = std::move(result);
    record->finished = true;
}

// ---- scrolling ----

void scroll_rows_to(int64_t wanted) {
    HWND viewport = nullptr;
    HWND rows_window = nullptr;
    int offset = 0;
    {
        auto record = FillState::borrow();
        if (!record->viewport) return;
        offset = clamp_scroll(wanted, record->layout.rows_height, record->viewport_height);
        if (offset == record->offset) return;
        record->offset = offset;
        viewport = record->viewport;
        rows_window = record->rows_window;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = offset;
    SetScrollInfo(viewport, SB_VERT, &info, TRUE);
    SetWindowPos(rows_window, nullptr, 0, -offset, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT on_scroll_bar(HWND viewport, WPARAM wp) {
    int offset = 0, page = 0, rows_height = 0, line = 0;
    {
        auto record = FillState::borrow();
        offset = record->offset;
        page = record->viewport_height;
        rows_height = record->layout.rows_height;
        line = scale(SCROLL_LINE, record->dpi);
    }
    int64_t wanted = offset;
    switch (LOWORD(wp)) {
    case SB_LINEUP: wanted -= line; break;
    case SB_LINEDOWN: wanted += line; break;
    case SB_PAGEUP: wanted -= page; break;
    case SB_PAGEDOWN: wanted += page; break;
    case SB_TOP: wanted = 0; break;
    case SB_BOTTOM: wanted = rows_height; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(viewport, SB_VERT, &info)) wanted = info.nTrackPos;
        break;
    }
    default: return 0;
    }
    scroll_rows_to(wanted);
    return 0;
}

void on_wheel(WPARAM wp) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int64_t wanted = 0;
    {
        auto record = FillState::borrow();
        const int64_t line = scale(SCROLL_LINE, record->dpi);
        const int page = record->viewport_height;
        // A turn never scrolls more than a page, as the system's own lists do.
        const int per_notch = lines == WHEEL_PAGESCROLL || int64_t(lines) * line > page ? page : int(lines * line);
        const WheelScroll turn = wheel_scroll(GET_WHEEL_DELTA_WPARAM(wp), record->wheel_remainder, per_notch);
        record->wheel_remainder = turn.remainder;
        wanted = int64_t(record->offset) - turn.pixels;
    }
    scroll_rows_to(wanted);
}

bool mouse_button_down() {
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
}

// A control of the rows took the focus: from the keyboard (Tab, the arrows) or from the dialog
// (a refused number), its row comes into view.  A click leaves the rows where they are, or
// the control would move away under the pointer before the button is released.
void show_focused(HWND control) {
    if (mouse_button_down()) return;
    int64_t wanted = 0;
    {
        auto record = FillState::borrow();
        if (!record->viewport) return;
        bool found = false;
        for (size_t i = 0; i < record->rows.size() && !found; ++i) {
            for (size_t j = 0; j < record->rows[i].size() && !found; ++j) {
                if (record->rows[i][j] != control) continue;
                found = true;
                const RowSpan span = focus_span(record->layout, i, j, record->viewport_height, record->dpi);
                wanted = scroll_into_view(record->offset, record->layout.rows_height, record->viewport_height,
                                          span.top, span.bottom);
            }
        }
        if (!found) return;
    }
    scroll_rows_to(wanted);
}

LRESULT on_rows_command(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) == EN_SETFOCUS || HIWORD(wp) == BN_SETFOCUS) show_focused(reinterpret_cast<HWND>(lp));
    return 0;
}

// The wheel anywhere on the dialog scrolls the rows, whichever control it is sent to: a
// single-line edit would take it for itself (Wine's does) and the buttons below the rows are
// outside them.
bool take_wheel(const MSG& message) {
    if (message.message != WM_MOUSEWHEEL) return false;
    HWND viewport = FillState::borrow()->viewport;
    if (!viewport || GetAncestor(message.hwnd, GA_ROOT) != GetAncestor(viewport, GA_ROOT)) return false;
    on_wheel(message.wParam);
    return true;
}

LRESULT CALLBACK rows_proc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_VSCROLL: return on_scroll_bar(window, wp);
    case WM_COMMAND: return on_rows_command(wp, lp);
    }
    return DefWindowProcW(window, message, wp, lp);
}

// ---- the dialog ----

// A secret goes from the edit into its value through buffers wiped once they are done with.
void read_secret(HWND edit, std::string& value) {
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return;
    std::wstring buffer(size_t(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit, buffer.data(), length + 1);
    std::string text = copied > 0 ? from_wide(std::wstring_view(buffer.data(), size_t(copied))) : std::string();
    value.swap(text);
    wipe(text);
    wipe(buffer);
}

// The edit's memory is freed with the window, not wiped: its text is overwritten in place first,
// and the undo buffer, which holds what was typed, is emptied.
void scrub_secret_edit(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length > 0) SetWindowTextW(edit, std::wstring(size_t(length), L'*').c_str());
    SetWindowTextW(edit, L"");
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

FillReading read_row(VariableKind kind, const std::vector<HWND>& controls) {
    FillReading reading;
    if (has_options(kind)) {
        for (HWND button : controls) reading.checked.push_back(SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (!controls.empty() && kind != VariableKind::Secret) {  // a secret waits for read_secret
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
        beep_refusal();
        HWND edit = rows[refusal->row].front();
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return 0;
    }
    // A secret is read only once every number has passed, straight into its value, so that a
    // refusal leaves no copy of it behind.
    std::vector<ValueList>& values = std::get<std::vector<ValueList>>(outcome);
    for (size_t i = 0; i < values.size(); ++i)
        if (definitions[i].kind == VariableKind::Secret && !values[i].empty()) read_secret(rows[i].front(), values[i].front());
    finish(std::move(values));
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

// Where the rows go: the dialog itself, or the window inside the viewport when they scroll.
struct RowsParent {
    HWND window = nullptr;
    bool scrolls = false;
};

RowsParent make_rows_parent(const Dialog& dialog, const FillLayout& layout, const FillFit& fit) {
    if (!fit.scrolls) return {dialog.hwnd(), false};
    register_dialog_class(ROWS_CLASS, guarded<rows_proc>);
    // Control parents, so that Tab and the arrow keys reach the rows inside.
    HWND viewport = CreateWindowExW(WS_EX_CONTROLPARENT, ROWS_CLASS, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0,
                                    fit.client_width, fit.viewport_height, dialog.hwnd(), nullptr, dialog.instance,
                                    nullptr);
    HWND rows_window = CreateWindowExW(WS_EX_CONTROLPARENT, ROWS_CLASS, L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                       layout.client_width, layout.rows_height, viewport, nullptr, dialog.instance,
                                       nullptr);
    if (!viewport || !rows_window) return {};
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = layout.rows_height - 1;
    info.nPage = UINT(fit.viewport_height);
    SetScrollInfo(viewport, SB_VERT, &info, FALSE);
    auto record = FillState::borrow();
    record->viewport = viewport;
    record->rows_window = rows_window;
    record->layout = layout;
    record->viewport_height = fit.viewport_height;
    return {rows_window, true};
}

// Adds one row's input controls and returns them with the one to focus when it is the first row.
std::vector<HWND> add_row_inputs(const Dialog& dialog, const RowsParent& parent, const VariableDefinition& definition,
                                 const FillRowLayout& row, HWND& focus) {
    std::vector<HWND> controls;
    if (!has_options(definition.kind)) {
        const DWORD masked = definition.kind == VariableKind::Secret ? ES_PASSWORD : 0;
        HWND edit = add_control(dialog, parent.window, L"EDIT", to_wide(initial_text(definition)),
                                WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL | masked, WS_EX_CLIENTEDGE, row.inputs.front(),
                                row.first_id);
        allow_long_text(edit);
        controls.push_back(edit);
        focus = edit;
        return controls;
    }
    const bool single = definition.kind == VariableKind::SingleChoice;
    const std::vector<bool> checks = initial_checks(definition);
    HWND first_checked = nullptr;
    for (size_t j = 0; j < definition.options.size() && j < row.inputs.size(); ++j) {
        DWORD style = single ? BS_AUTORADIOBUTTON : BS_AUTOCHECKBOX;
        if (j == 0) style |= WS_GROUP;
        // A radio group is entered by Tab at its checked button; the arrows move within it.
        if (!single || checks[j]) style |= WS_TABSTOP;
        // Scrolling rows learn of the focus from the buttons' notifications.
        if (parent.scrolls) style |= BS_NOTIFY;
        HWND button = add_control(dialog, parent.window, L"BUTTON", to_wide(button_text(definition.options[j])), style,
                                  0, row.inputs[j], row.first_id + int(j));
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
    const SystemDpiWindows system_dpi_windows;  // laid out once, at the system DPI
    if (!run) return std::nullopt;
    const int dpi = int(system_dpi());
    if (fill_control_count(definitions) > MAX_FILL_CONTROLS) {
        beep_refusal();
        return std::nullopt;
    }
    const FillLayout layout = layout_fill_in(definitions, dpi);
    if (layout.rows_height > MAX_FILL_ROWS_HEIGHT) {
        beep_refusal();
        return std::nullopt;
    }
    {
        auto record = FillState::borrow();
        for (const VariableDefinition& definition : definitions) record->definitions.push_back(copy_definition(definition));
        record->dpi = dpi;
    }

    const Rect work = work_area_under_pointer();
    const FillFit fit = fit_fill_in(layout, work.bottom - work.top - dialog_frame_height(),
                                    GetSystemMetrics(SM_CXVSCROLL), dpi);
    Dialog dialog = create_dialog(FILL_CLASS, to_wide(title), fit.client_width, fit.client_height,
                                  guarded<dialog_proc<on_command, on_close>>);
    if (!dialog.created) return std::nullopt;
    const RowsParent parent = make_rows_parent(dialog, layout, fit);
    if (!parent.window) return std::nullopt;

    std::vector<std::vector<HWND>> rows;
    HWND focus = nullptr;
    for (size_t i = 0; i < definitions.size(); ++i) {
        const FillRowLayout& row = layout.rows[i];
        add_control(dialog, parent.window, L"STATIC", to_wide(fill_label(definitions[i])), WS_GROUP | SS_NOPREFIX, 0,
                    row.label, -1);
        HWND row_focus = nullptr;
        rows.push_back(add_row_inputs(dialog, parent, definitions[i], row, row_focus));
        if (i == 0) focus = row_focus;
    }
    HWND message = add_control(dialog, L"STATIC", L"", WS_GROUP | SS_NOPREFIX, 0, fit.message, -1);
    add_control(dialog, L"BUTTON", L"Paste", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, fit.paste, IDOK);
    add_control(dialog, L"BUTTON", L"Cancel", WS_TABSTOP, 0, fit.cancel, IDCANCEL);
    {
        auto record = FillState::borrow();
        record->rows = rows;
        record->message = message;
    }

    if (focus && !definitions.empty() && !has_options(definitions.front().kind)) SendMessageW(focus, EM_SETSEL, 0, -1);
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    if (focus) SetFocus(focus);

    run_modal_loop(dialog.hwnd(), FillState::finished, take_wheel);
    for (size_t i = 0; i < definitions.size(); ++i)
        if (definitions[i].kind == VariableKind::Secret && !rows[i].empty()) scrub_secret_edit(rows[i].front());
    dialog.window.reset();
    dialog.font.reset();
    return std::move(FillState::borrow()->result);
}

}  // namespace korvane
