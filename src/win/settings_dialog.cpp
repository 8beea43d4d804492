#include "win/settings_dialog.hpp"

#include <commctrl.h>

#include <cwchar>
#include <optional>

#include "core/dialog_layout.hpp"
#include "win/app.hpp"
#include "win/dialog.hpp"
#include "win/dock.hpp"
#include "win/files.hpp"
#include "win/program_info.hpp"
#include "win/warning.hpp"

namespace korvane {
namespace {

constexpr wchar_t SETTINGS_CLASS[] = L"KorvaneSettings";
constexpr wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t RUN_VALUE[] = L"Korvane";
// The credit line's links open the licence texts installed beside the exe.
constexpr wchar_t CREDIT_LINKS[] = L"<a id=\"licence\">Licence</a>   <a id=\"notices\">Third-party notices</a>";
constexpr wchar_t LICENCE_FILE[] = L"LICENSE.txt";
constexpr wchar_t NOTICES_FILE[] = L"THIRD-PARTY-NOTICES.txt";
constexpr int CREDIT_ID = 220;
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

LRESULT on_notify(const NMHDR& header) {
    if (header.idFrom != CREDIT_ID || (header.code != NM_CLICK && header.code != NM_RETURN)) return 0;
    const NMLINK& link = reinterpret_cast<const NMLINK&>(header);
    const wchar_t* file = std::wcscmp(link.item.szID, L"notices") == 0 ? NOTICES_FILE : LICENCE_FILE;
    if (!open_program_file(file)) MessageBeep(MB_ICONEXCLAMATION);
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

bool sign_in_is_on() {
    OwnedKey key = open_run_key(KEY_QUERY_VALUE);
    return key && RegQueryValueExW(key.get(), RUN_VALUE, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
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
                                  settings_proc);
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
    const INITCOMMONCONTROLSEX link_class{sizeof(INITCOMMONCONTROLSEX), ICC_LINK_CLASS};
    InitCommonControlsEx(&link_class);
    add_control(dialog, WC_LINK, credit_text(), LWS_TRANSPARENT | WS_GROUP | WS_TABSTOP, 0, px(12), px(154), px(376),
                px(40), CREDIT_ID);
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
        std::wstring path(32768, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0 || length >= path.size()) {
            const DWORD error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
            key.reset();
            show_warning(os_error_text(error));
            return;
        }
        path.resize(length);
        const std::wstring data = run_value_data(path);
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
