#include "win/dialogs/settings_dialog.hpp"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings_layout.hpp"
#include "win/app/app.hpp"
#include "win/dialogs/dialog.hpp"
#include "win/support/handles.hpp"
#include "win/support/guarded.hpp"
#include "win/support/beep.hpp"
#include "win/dialogs/dialog_in_use.hpp"
#include "win/shell/dock.hpp"
#include "win/storage/files.hpp"
#include "win/shell/hotkey.hpp"
#include "win/app/program_info.hpp"
#include "win/app/settings_change.hpp"
#include "win/app/warning.hpp"
#include "win/support/dpi.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

constexpr wchar_t SETTINGS_CLASS[] = L"KorvaneSettings";
constexpr wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t RUN_VALUE[] = L"Korvane";
// The credit line's links open the licence texts installed beside the exe.
constexpr wchar_t CREDIT_LINKS[] = L"<a id=\"licence\">Licence</a>   <a id=\"notices\">Third-party notices</a>";
constexpr wchar_t LICENCE_FILE[] = L"LICENSE.txt";
constexpr wchar_t NOTICES_FILE[] = L"THIRD-PARTY-NOTICES.txt";
constexpr int PLACEMENT_IDS[] = {200, 201, 202};
constexpr int SIGN_IN_ID = 210;
constexpr int CREDIT_ID = 220;
constexpr int SHORTCUT_ID = 230;
constexpr int WINDOWS_KEY_ID = 231;
constexpr int SHORTCUT_NOTE_ID = 232;
constexpr int PROGRAMS_ID = 240;
// Room for the longest list the settings keep, one name a line.
constexpr int PROGRAMS_TEXT_LIMIT = int(MAX_IGNORED_PROGRAMS * (MAX_PROGRAM_NAME + 2));

enum Placement : int { DOCKED_RIGHT = 0, DOCKED_LEFT = 1, MINIMIZED = 2 };

struct Choice {
    int placement;
    bool sign_in;
    Shortcut shortcut;
    std::vector<std::string> ignored_programs;
};

// What the dialog opens on besides the choices: why the shortcut is not active, when it is not.
constexpr wchar_t SHORTCUT_NOTE_ADVICE[] = L" Choose another, or close that program and press OK.";

struct SettingsRecord {
    bool finished = false;
    std::optional<Choice> choice;  // set when confirmed
    HWND placement_buttons[3] = {};
    HWND sign_in_box = nullptr;
    HWND shortcut_field = nullptr;
    HWND windows_key = nullptr;
    HWND programs_field = nullptr;
};

using SettingsState = DialogRecord<SettingsRecord>;

bool checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The shortcut field knows Shift, Ctrl and Alt by its own bits; the Windows key is the box beside it.
WPARAM field_value(Shortcut shortcut) {
    BYTE modifiers = 0;
    if (shortcut.modifiers & SHORTCUT_SHIFT) modifiers |= HOTKEYF_SHIFT;
    if (shortcut.modifiers & SHORTCUT_CTRL) modifiers |= HOTKEYF_CONTROL;
    if (shortcut.modifiers & SHORTCUT_ALT) modifiers |= HOTKEYF_ALT;
    return shortcut.off() ? 0 : MAKEWORD(shortcut.key, modifiers);
}

Shortcut shortcut_of(HWND field, HWND windows_key) {
    const LRESULT value = SendMessageW(field, HKM_GETHOTKEY, 0, 0);
    const BYTE key = LOBYTE(LOWORD(value));
    const BYTE modifiers = HIBYTE(LOWORD(value));
    if (key == 0) return Shortcut{};
    Shortcut shortcut{0, key};
    if (modifiers & HOTKEYF_SHIFT) shortcut.modifiers |= SHORTCUT_SHIFT;
    if (modifiers & HOTKEYF_CONTROL) shortcut.modifiers |= SHORTCUT_CTRL;
    if (modifiers & HOTKEYF_ALT) shortcut.modifiers |= SHORTCUT_ALT;
    if (checked(windows_key)) shortcut.modifiers |= SHORTCUT_WIN;
    return shortcut;
}

std::wstring programs_text(const std::vector<std::string>& names) {
    std::wstring text;
    for (const std::string& name : names) text += (text.empty() ? L"" : L"\r\n") + to_wide(name);
    return text;
}

std::vector<std::string> programs_of(HWND field) {
    std::wstring text(size_t(std::clamp(GetWindowTextLengthW(field), 0, PROGRAMS_TEXT_LIMIT)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(field, text.data(), int(text.size()))));
    return parse_program_names(from_wide(text));
}

LRESULT on_ok() {
    HWND buttons[3];
    HWND sign_in = nullptr, field = nullptr, windows_key = nullptr, programs = nullptr;
    {
        auto record = SettingsState::borrow();
        std::copy(std::begin(record->placement_buttons), std::end(record->placement_buttons), buttons);
        sign_in = record->sign_in_box;
        field = record->shortcut_field;
        windows_key = record->windows_key;
        programs = record->programs_field;
    }
    int placement = DOCKED_RIGHT;
    for (int i = 2; i >= 0; --i)
        if (checked(buttons[i])) placement = i;
    const Choice choice{placement, checked(sign_in), shortcut_of(field, windows_key), programs_of(programs)};
    auto record = SettingsState::borrow();
    record->choice = choice;
    record->finished = true;
    return 0;
}

LRESULT on_cancel() {
    SettingsState::borrow()->finished = true;
    return 0;
}

LRESULT on_command(HWND, WPARAM wparam) {
    switch (LOWORD(wparam)) {
    case IDOK: return on_ok();
    case IDCANCEL: return on_cancel();
    }
    return 0;
}

LRESULT on_notify(const NMHDR& header) {
    if (header.idFrom != CREDIT_ID || (header.code != NM_CLICK && header.code != NM_RETURN)) return 0;
    const NMLINK& link = reinterpret_cast<const NMLINK&>(header);
    const wchar_t* file = std::wcscmp(link.item.szID, L"notices") == 0 ? NOTICES_FILE : LICENCE_FILE;
    if (!open_program_file(file)) beep_refusal();
    return 0;
}

LRESULT CALLBACK settings_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY) return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
    return dialog_proc<on_command, on_cancel>(window, message, wparam, lparam);
}

// Two lines: the program, its version and its licence, then links a screen reader reads as links.
std::wstring credit_text() {
    const std::optional<std::wstring> version = program_version();
    return L"Korvane " + (version ? *version + L" " : L"") + L"by the Korvane developers, under the MIT licence.\n" +
           CREDIT_LINKS;
}

// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, or empty when it cannot be opened.
OwnedKey open_run_key(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, access, &key) != ERROR_SUCCESS) return OwnedKey();
    return OwnedKey(key);
}

std::optional<std::wstring> run_value() {
    OwnedKey key = open_run_key(KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), RUN_VALUE, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > 65536)
        return std::nullopt;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), RUN_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.resize(std::min(wcslen(data.c_str()), size_t(size / sizeof(wchar_t))));
    return data;
}

// Whether a sign-in value starts this executable: its data with the quotes removed names the
// same path, compared without regard to case as Windows compares paths.
bool run_value_names(std::wstring_view data, std::wstring_view executable) {
    std::wstring path;
    for (wchar_t c : data)
        if (c != L'"') path += c;
    while (!path.empty() && (path.back() == L' ' || path.back() == L'\t')) path.pop_back();
    const size_t first = path.find_first_not_of(L" \t");
    path.erase(0, first == std::wstring::npos ? path.size() : first);
    return CompareStringOrdinal(path.data(), int(path.size()), executable.data(), int(executable.size()), TRUE) ==
           CSTR_EQUAL;
}

// The box shows the value only when it starts this copy: a value left by another copy, or by
// this one before it was moved, is not this program starting at sign-in.
bool sign_in_is_on() {
    const std::optional<std::wstring> data = run_value();
    const std::optional<std::wstring> executable = program_path();
    return data && executable && run_value_names(*data, *executable);
}

std::optional<Choice> ask(const Choice& current, const std::optional<std::string>& shortcut_problem) {
    SettingsState::Run run;
    const SystemDpiWindows system_dpi_windows;  // laid out once, at the system DPI
    if (!run) return std::nullopt;
    const SettingsLayout layout = layout_settings_dialog(int(system_dpi()), shortcut_problem.has_value());
    Dialog dialog = create_dialog(SETTINGS_CLASS, L"Korvane settings", layout.client_width, layout.client_height,
                                  guarded<settings_proc>);
    if (!dialog.created) return std::nullopt;
    const auto add = [&](const wchar_t* type, std::wstring_view text, DWORD style, DWORD extended, const Rect& place,
                         int id) { return add_control(dialog, type, text, style, extended, place, id); };
    // Each group starts a group, so the arrow keys stay within the one they are in.
    add(L"STATIC", L"Where the toolbar goes:", WS_GROUP, 0, layout.placement_label, -1);
    const wchar_t* placement_texts[3] = {L"Docked on the right edge of the screen", L"Docked on the left edge of the screen",
                                         L"Minimized to the notification area icon"};
    HWND buttons[3];
    for (int i = 0; i < 3; ++i)
        buttons[i] = add(L"BUTTON", placement_texts[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), 0,
                         layout.placements[i], PLACEMENT_IDS[i]);
    HWND sign_in_box = add(L"BUTTON", L"Start Korvane when I sign in to Windows", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP,
                           0, layout.sign_in, SIGN_IN_ID);
    // The label before the field names it for screen readers.
    add(L"STATIC", L"Keyboard shortcut that opens the popup:", WS_GROUP, 0, layout.shortcut_label, -1);
    HWND field = add(HOTKEY_CLASSW, L"", WS_TABSTOP, WS_EX_CLIENTEDGE, layout.shortcut_field, SHORTCUT_ID);
    HWND windows_key = add(L"BUTTON", L"with the Windows key", BS_AUTOCHECKBOX | WS_TABSTOP, 0, layout.windows_key,
                           WINDOWS_KEY_ID);
    if (shortcut_problem)
        add(L"STATIC", to_wide(*shortcut_problem) + SHORTCUT_NOTE_ADVICE, SS_NOPREFIX, 0, layout.shortcut_note,
            SHORTCUT_NOTE_ID);
    add(L"STATIC", L"Ignore copies from these programs (one file name a line):", WS_GROUP, 0, layout.programs_label, -1);
    HWND programs = add(L"EDIT", programs_text(current.ignored_programs),
                        WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE,
                        layout.programs_field, PROGRAMS_ID);
    SendMessageW(programs, EM_SETLIMITTEXT, PROGRAMS_TEXT_LIMIT, 0);
    const INITCOMMONCONTROLSEX link_class{sizeof(INITCOMMONCONTROLSEX), ICC_LINK_CLASS};
    InitCommonControlsEx(&link_class);
    add(WC_LINK, credit_text(), LWS_TRANSPARENT | WS_GROUP | WS_TABSTOP, 0, layout.credit, CREDIT_ID);
    add(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, layout.ok, IDOK);
    add(L"BUTTON", L"Cancel", WS_TABSTOP, 0, layout.cancel, IDCANCEL);
    SendMessageW(buttons[current.placement], BM_SETCHECK, BST_CHECKED, 0);
    if (current.sign_in) SendMessageW(sign_in_box, BM_SETCHECK, BST_CHECKED, 0);
    // A shortcut of a plain letter would take that letter from every program: without Ctrl or
    // Alt the field makes it Ctrl+Alt.
    SendMessageW(field, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    SendMessageW(field, HKM_SETHOTKEY, field_value(current.shortcut), 0);
    if (current.shortcut.modifiers & SHORTCUT_WIN) SendMessageW(windows_key, BM_SETCHECK, BST_CHECKED, 0);
    {
        auto record = SettingsState::borrow();
        std::copy(std::begin(buttons), std::end(buttons), record->placement_buttons);
        record->sign_in_box = sign_in_box;
        record->shortcut_field = field;
        record->windows_key = windows_key;
        record->programs_field = programs;
    }
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    SetFocus(buttons[current.placement]);
    run_modal_loop(dialog.hwnd(), SettingsState::finished);
    dialog.window.reset();
    dialog.font.reset();
    return SettingsState::borrow()->choice;
}

void apply_placement(int placement) {
    switch (placement) {
    case DOCKED_RIGHT: set_dock_edge(true); break;
    case DOCKED_LEFT: set_dock_edge(false); break;
    case MINIMIZED: minimize_toolbar(); break;
    }
}

// The sign-in value's data: the running executable's full path in double quotes.
std::wstring run_value_data(const std::wstring& executable) { return L"\"" + executable + L"\""; }

void apply_sign_in(bool on) {
    OwnedKey key = open_run_key(KEY_SET_VALUE);
    if (!key) {
        show_warning("The startup setting could not be opened.");
        return;
    }
    LSTATUS status = ERROR_SUCCESS;
    if (on) {
        const std::optional<std::wstring> path = program_path();
        if (!path) {
            const DWORD error = GetLastError() ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
            key.reset();
            show_warning(os_error_text(error));
            return;
        }
        const std::wstring data = run_value_data(*path);
        status = RegSetValueExW(key.get(), RUN_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                DWORD((data.size() + 1) * sizeof(wchar_t)));
    } else {
        status = RegDeleteValueW(key.get(), RUN_VALUE);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    key.reset();
    if (status != ERROR_SUCCESS)
        show_warning("The startup setting could not be changed (error " + std::to_string(status) + ").");
}

}  // namespace

void run_settings_dialog() {
    const DialogInUse dialog(DialogKind::Settings);
    if (!dialog) return;
    Choice current{DOCKED_RIGHT, false, {}, {}};
    std::optional<std::string> shortcut_problem;
    if (AppBorrow app = borrow_app()) {
        if (!app->docked.window || !app->popup.window) return;
        current.placement = app->settings.minimized ? MINIMIZED : app->settings.dock_right ? DOCKED_RIGHT : DOCKED_LEFT;
        // The field shows the shortcut the settings ask for, active or not; the note says which.
        current.shortcut = app->settings.shortcut;
        current.ignored_programs = app->settings.ignored_programs;
        shortcut_problem = app->shortcut_problem;
    } else {
        return;
    }
    current.sign_in = sign_in_is_on();
    const std::optional<Choice> choice = ask(current, shortcut_problem);
    if (!choice) return;
    if (choice->placement != current.placement) apply_placement(choice->placement);
    if (choice->sign_in != current.sign_in) apply_sign_in(choice->sign_in);
    if (choice->shortcut != current.shortcut) change_popup_shortcut(choice->shortcut);
    else if (shortcut_problem) retry_popup_shortcut();
    if (choice->ignored_programs != current.ignored_programs)
        change_settings([&](Settings& settings) { settings.ignored_programs = choice->ignored_programs; });
}

}  // namespace korvane
