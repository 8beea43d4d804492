#include "win/settings_dialog.hpp"

#include <optional>

#include "core/dialog_layout.hpp"
#include "win/app.hpp"
#include "win/dialog.hpp"
#include "win/dock.hpp"
#include "win/files.hpp"
#include "win/warning.hpp"

namespace korvane {
namespace {

constexpr wchar_t SETTINGS_CLASS[] = L"KorvaneSettings";
constexpr wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t RUN_VALUE[] = L"Korvane";
constexpr wchar_t CREDIT[] = L"Korvane, a clipboard toolbar by the Korvane developers.\n"
                             L"https://korvane.app  \u00B7  https://korvane.app/help";
constexpr int PLACEMENT_IDS[] = {200, 201, 202};
constexpr int SIGN_IN_ID = 210;

enum Placement : int { DOCKED_RIGHT = 0, DOCKED_LEFT = 1, MINIMIZED = 2 };

struct SettingsRecord {
    bool finished = false;
    std::optional<int> placement;  // set when confirmed
    bool sign_in = false;
    HWND placement_buttons[3] = {};
    HWND sign_in_box = nullptr;
};

using SettingsState = DialogRecord<SettingsRecord>;

bool checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

LRESULT on_ok() {
    HWND buttons[3];
    HWND sign_in = nullptr;
    {
        auto record = SettingsState::borrow();
        std::copy(std::begin(record->placement_buttons), std::end(record->placement_buttons), buttons);
        sign_in = record->sign_in_box;
    }
    int placement = DOCKED_RIGHT;
    for (int i = 2; i >= 0; --i)
        if (checked(buttons[i])) placement = i;
    const bool sign_in_checked = checked(sign_in);
    auto record = SettingsState::borrow();
    record->placement = placement;
    record->sign_in = sign_in_checked;
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

std::optional<std::wstring> this_executable() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0 || length >= path.size()) return std::nullopt;
    path.resize(length);
    return path;
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

// The box shows the value only when it starts this copy: a value left by another copy, or by
// this one before it was moved, is not this program starting at sign-in.
bool sign_in_is_on() {
    const std::optional<std::wstring> data = run_value();
    const std::optional<std::wstring> executable = this_executable();
    return data && executable && run_value_names(*data, *executable);
}

struct Choice {
    int placement;
    bool sign_in;
};

std::optional<Choice> ask(int placement, bool sign_in) {
    SettingsState::Run run;
    if (!run) return std::nullopt;
    const int dpi = int(GetDpiForSystem());
    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    Dialog dialog = create_dialog(SETTINGS_CLASS, L"Korvane settings", px(400), px(244),
                                  dialog_proc<on_command, on_cancel>);
    if (!dialog.created) return std::nullopt;
    add_control(dialog, L"STATIC", L"Where the toolbar goes:", 0, 0, px(12), px(12), px(376), px(20), -1);
    HWND buttons[3] = {
        add_control(dialog, L"BUTTON", L"Docked on the right edge of the screen",
                    BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, px(20), px(34), px(368), px(24), PLACEMENT_IDS[0]),
        add_control(dialog, L"BUTTON", L"Docked on the left edge of the screen", BS_AUTORADIOBUTTON, 0, px(20),
                    px(58), px(368), px(24), PLACEMENT_IDS[1]),
        add_control(dialog, L"BUTTON", L"Minimized to the notification area icon", BS_AUTORADIOBUTTON, 0, px(20),
                    px(82), px(368), px(24), PLACEMENT_IDS[2]),
    };
    HWND sign_in_box = add_control(dialog, L"BUTTON", L"Start Korvane when I sign in to Windows",
                                   BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0, px(12), px(118), px(376), px(24), SIGN_IN_ID);
    add_control(dialog, L"STATIC", CREDIT, WS_GROUP, 0, px(12), px(154), px(376), px(40), -1);
    add_control(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, px(212), px(206), px(84), px(26), IDOK);
    add_control(dialog, L"BUTTON", L"Cancel", WS_TABSTOP, 0, px(304), px(206), px(84), px(26), IDCANCEL);
    SendMessageW(buttons[placement], BM_SETCHECK, BST_CHECKED, 0);
    if (sign_in) SendMessageW(sign_in_box, BM_SETCHECK, BST_CHECKED, 0);
    {
        auto record = SettingsState::borrow();
        std::copy(std::begin(buttons), std::end(buttons), record->placement_buttons);
        record->sign_in_box = sign_in_box;
    }
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    SetFocus(buttons[placement]);
    run_modal_loop(dialog.hwnd(), SettingsState::finished);
    dialog.window.reset();
    dialog.font.reset();
    auto record = SettingsState::borrow();
    if (!record->placement) return std::nullopt;
    return Choice{*record->placement, record->sign_in};
}

void apply_placement(int placement) {
    switch (placement) {
    case DOCKED_RIGHT: set_dock_edge(true); break;
    case DOCKED_LEFT: set_dock_edge(false); break;
    case MINIMIZED: minimize_toolbar(); break;
    }
}

void apply_sign_in(bool on) {
    OwnedKey key = open_run_key(KEY_SET_VALUE);
    if (!key) {
        show_warning("The startup setting could not be opened.");
        return;
    }
    LSTATUS status = ERROR_SUCCESS;
    if (on) {
        const std::optional<std::wstring> path = this_executable();
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

OwnedKey open_run_key(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, access, &key) != ERROR_SUCCESS) return OwnedKey();
    return OwnedKey(key);
}

std::wstring run_value_data(const std::wstring& executable) { return L"\"" + executable + L"\""; }

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

void run_settings_dialog() {
    int placement = DOCKED_RIGHT;
    if (AppBorrow app = borrow_app()) {
        if (!app->docked.window || !app->popup.window) return;
        placement = app->dock.minimized ? MINIMIZED : app->dock.dock_right ? DOCKED_RIGHT : DOCKED_LEFT;
    } else {
        return;
    }
    const bool sign_in = sign_in_is_on();
    const std::optional<Choice> choice = ask(placement, sign_in);
    if (!choice) return;
    if (choice->placement != placement) apply_placement(choice->placement);
    if (choice->sign_in != sign_in) apply_sign_in(choice->sign_in);
}

}  // namespace korvane
