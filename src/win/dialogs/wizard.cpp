#include "win/dialogs/wizard.hpp"

#include <array>

#include "core/wizard_layout.hpp"
#include "core/wizard_rules.hpp"
#include "win/support/beep.hpp"
#include "win/dialogs/dialog.hpp"
#include "win/support/guarded.hpp"
#include "win/support/wide.hpp"
#include "win/support/dpi.hpp"

namespace korvane {
namespace {

constexpr wchar_t WIZARD_CLASS[] = L"KorvaneWizard";
constexpr wchar_t WIZARD_TITLE[] = L"Define the values to fill in";
constexpr wchar_t NEED_OPTIONS[] = L"Enter at least one option, one per line.";
constexpr int FIRST_KIND_ID = 200;
constexpr int OPTIONS_ID = 210;
constexpr int BACK_ID = 300;

struct WizardRecord {
    bool finished = false;
    bool confirmed = false;
    size_t page = 0;
    std::vector<std::string> names;
    std::vector<WizardPage> pages;
    HWND caption = nullptr;
    std::array<HWND, VARIABLE_KIND_COUNT> kinds{};
    HWND options = nullptr;
    HWND message = nullptr;
    HWND back = nullptr;
    HWND next = nullptr;
};

using WizardState = DialogRecord<WizardRecord>;

struct WizardControls {
    HWND caption, options, message, back, next;
    std::array<HWND, VARIABLE_KIND_COUNT> kinds;
};

WizardControls controls() {
    auto record = WizardState::borrow();
    return {record->caption, record->options, record->message, record->back, record->next, record->kinds};
}

size_t kind_index(VariableKind kind) { return size_t(kind); }

void show_page(size_t index) {
    const WizardControls c = controls();
    std::string caption;
    WizardPage page;
    size_t count = 0;
    {
        auto record = WizardState::borrow();
        count = record->pages.size();
        page = record->pages[index];
        caption = page_caption(index, count, record->names[index]);
    }
    SetWindowTextW(c.caption, to_wide(caption).c_str());
    for (size_t k = 0; k < c.kinds.size(); ++k)
        SendMessageW(c.kinds[k], BM_SETCHECK, k == kind_index(page.kind) ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(c.options, to_wide(page.options_text).c_str());
    EnableWindow(c.options, has_options(page.kind));
    SetWindowTextW(c.message, L"");
    EnableWindow(c.back, index > 0);
    SetWindowTextW(c.next, index + 1 == count ? L"Finish" : L"Next >");
}

// Keeps what the page shows, valid or not; an invalid choice page is reported in the dialog.
bool store_page() {
    const WizardControls c = controls();
    VariableKind kind = VariableKind::FreeText;
    for (size_t k = 0; k < c.kinds.size(); ++k) {
        if (SendMessageW(c.kinds[k], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            kind = VariableKind(k);
            break;
        }
    }
    const WizardPage page{control_text(c.options), kind};
    {
        auto record = WizardState::borrow();
        record->pages[record->page] = page;
    }
    if (page_is_valid(page)) return true;
    SetWindowTextW(c.message, NEED_OPTIONS);
    beep_refusal();
    SetFocus(c.options);
    return false;
}

void focus_kind_button(size_t index) {
    const WizardControls c = controls();
    VariableKind kind = WizardState::borrow()->pages[index].kind;
    SetFocus(c.kinds[kind_index(kind)]);
}

LRESULT on_next() {
    if (!store_page()) return 0;
    size_t next = 0;
    {
        auto record = WizardState::borrow();
        if (record->page + 1 >= record->pages.size()) {
            record->confirmed = true;
            record->finished = true;
            return 0;
        }
        next = ++record->page;
    }
    show_page(next);
    focus_kind_button(next);
    return 0;
}

LRESULT on_back() {
    store_page();
    size_t page = 0;
    {
        auto record = WizardState::borrow();
        if (record->page > 0) --record->page;
        page = record->page;
    }
    show_page(page);
    // Back may have been disabled under the focus, or the options field the refusal focused.
    focus_kind_button(page);
    return 0;
}

LRESULT on_kind_clicked(int id) {
    const WizardControls c = controls();
    EnableWindow(c.options, has_options(VariableKind(id - FIRST_KIND_ID)));
    SetWindowTextW(c.message, L"");
    return 0;
}

LRESULT on_cancel() {
    WizardState::borrow()->finished = true;
    return 0;
}

LRESULT on_command(HWND, WPARAM wp) {
    const int id = LOWORD(wp);
    switch (id) {
    case IDOK: return on_next();
    case IDCANCEL: return on_cancel();
    case BACK_ID: return on_back();
    }
    if (id >= FIRST_KIND_ID && id < FIRST_KIND_ID + int(VARIABLE_KIND_COUNT) && HIWORD(wp) == BN_CLICKED)
        return on_kind_clicked(id);
    return 0;
}

}  // namespace

std::optional<std::vector<VariableDefinition>> run_variables_wizard(const std::vector<VariableDefinition>& definitions,
                                                                    size_t start_index) {
    if (definitions.empty()) return std::vector<VariableDefinition>{};
    WizardState::Run run;
    const SystemDpiWindows system_dpi_windows;  // laid out once, at the system DPI
    if (!run) return std::nullopt;
    const size_t start = first_wizard_page(start_index, definitions.size());
    {
        auto record = WizardState::borrow();
        record->page = start;
        record->pages = initial_pages(definitions);
        for (const VariableDefinition& definition : definitions) record->names.push_back(definition.name);
    }

    const WizardLayout layout = layout_wizard(int(system_dpi()));
    Dialog dialog = create_dialog(WIZARD_CLASS, WIZARD_TITLE, layout.client_width, layout.client_height,
                                  guarded<dialog_proc<on_command, on_cancel>>);
    if (!dialog.created) return std::nullopt;

    const auto label = [&](std::wstring_view text, const Rect& place, DWORD style) {
        return add_control(dialog, L"STATIC", text, style, 0, place, -1);
    };
    const auto kind_button = [&](std::wstring_view text, DWORD extra, int kind) {
        return add_control(dialog, L"BUTTON", text, BS_AUTORADIOBUTTON | extra, 0, layout.kinds[size_t(kind)],
                           FIRST_KIND_ID + kind);
    };
    WizardControls c{};
    // The caption shows the variable's name as written.  It starts a group, as the label after
    // the kind buttons does, so that the arrow keys stay within the buttons' groups.
    c.caption = label(L"", layout.caption, WS_GROUP | SS_NOPREFIX);
    label(L"What kind of value is it?", layout.kind_label, 0);
    c.kinds[0] = kind_button(L"Free text", WS_GROUP | WS_TABSTOP, 0);
    c.kinds[1] = kind_button(L"Number", 0, 1);
    c.kinds[2] = kind_button(L"Single choice (radio buttons)", 0, 2);
    c.kinds[3] = kind_button(L"Multiple choice (check boxes)", 0, 3);
    c.kinds[4] = kind_button(L"Secret (hidden, never remembered)", 0, 4);
    label(L"Options, one per line (for single and multiple choice):", layout.options_label, WS_GROUP);
    c.options = add_control(dialog, L"EDIT", L"",
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_GROUP | WS_TABSTOP,
                            WS_EX_CLIENTEDGE, layout.options, OPTIONS_ID);
    allow_long_text(c.options);
    c.message = label(L"", layout.message, 0);
    c.back = add_control(dialog, L"BUTTON", L"< Back", WS_GROUP | WS_TABSTOP, 0, layout.back, BACK_ID);
    c.next = add_control(dialog, L"BUTTON", L"Next >", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, layout.next, IDOK);
    add_control(dialog, L"BUTTON", L"Cancel", WS_TABSTOP, 0, layout.cancel, IDCANCEL);
    {
        auto record = WizardState::borrow();
        record->caption = c.caption;
        record->kinds = c.kinds;
        record->options = c.options;
        record->message = c.message;
        record->back = c.back;
        record->next = c.next;
    }

    show_page(start);
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    focus_kind_button(start);

    run_modal_loop(dialog.hwnd(), WizardState::finished);
    dialog.window.reset();
    dialog.font.reset();

    auto record = WizardState::borrow();
    if (!record->confirmed) return std::nullopt;
    return wizard_result(definitions, record->pages);
}

}  // namespace korvane
