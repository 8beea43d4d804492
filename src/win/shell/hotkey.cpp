#include "win/shell/hotkey.hpp"

#include <optional>
#include <string>

#include "win/app/app.hpp"
#include "win/app/main.hpp"
#include "win/app/settings_change.hpp"
#include "win/storage/files.hpp"
#include "win/app/warning.hpp"
#include "win/support/wide.hpp"

namespace korvane {

bool register_popup_shortcut(HWND main_window, Shortcut shortcut) {
    if (shortcut.off()) return true;
    return RegisterHotKey(main_window, POPUP_HOTKEY, shortcut.modifiers | MOD_NOREPEAT, shortcut.key) != FALSE;
}

std::string shortcut_taken_message(Shortcut wanted, Shortcut kept) {
    const std::string start = "The shortcut " + shortcut_text(wanted) + " is already used by another program, so ";
    if (kept.off()) return start + "the popup still has no shortcut.";
    return start + "Korvane keeps " + shortcut_text(kept) + " to open its popup.";
}

std::string shortcut_inactive_message(Shortcut wanted, DWORD error) {
    const std::string start = "The shortcut " + shortcut_text(wanted) + " is not active: ";
    if (error == ERROR_HOTKEY_ALREADY_REGISTERED) return start + "another program already uses it.";
    return start + os_error_text(error);
}

namespace {

// Registers the shortcut as the one the settings ask for; when that fails, notes why.
bool register_or_note(HWND main_window, Shortcut wanted) {
    const bool registered = register_popup_shortcut(main_window, wanted);
    std::optional<std::string> problem;
    if (!registered) problem = shortcut_inactive_message(wanted, GetLastError());
    if (AppBorrow app = borrow_app()) {
        if (registered) app->registered_shortcut = wanted;
        app->shortcut_problem = problem;
    }
    show_shortcut_note(main_window, problem ? to_wide(*problem) : std::wstring());
    return registered;
}

}  // namespace

void start_popup_shortcut(HWND main_window, Shortcut wanted) { register_or_note(main_window, wanted); }

void retry_popup_shortcut() {
    HWND main_window = nullptr;
    Shortcut wanted;
    if (AppBorrow app = borrow_app()) {
        if (!app->shortcut_problem) return;
        main_window = app->main_window;
        wanted = app->settings.shortcut;
    } else {
        return;
    }
    register_or_note(main_window, wanted);
}

bool change_popup_shortcut(Shortcut wanted) {
    HWND main_window = nullptr;
    Shortcut kept;
    bool inactive = false;
    if (AppBorrow app = borrow_app()) {
        main_window = app->main_window;
        kept = app->registered_shortcut;
        inactive = app->shortcut_problem.has_value();
    } else {
        return false;
    }
    if (wanted == kept && !inactive) return true;
    UnregisterHotKey(main_window, POPUP_HOTKEY);
    if (!register_popup_shortcut(main_window, wanted)) {
        const DWORD error = GetLastError();
        register_popup_shortcut(main_window, kept);
        show_warning(error == ERROR_HOTKEY_ALREADY_REGISTERED
                         ? shortcut_taken_message(wanted, kept)
                         : "The shortcut " + shortcut_text(wanted) + " could not be used: " + os_error_text(error));
        return false;
    }
    if (AppBorrow app = borrow_app()) {
        app->registered_shortcut = wanted;
        app->shortcut_problem.reset();
    }
    show_shortcut_note(main_window, L"");
    change_settings([&](Settings& settings) { settings.shortcut = wanted; });
    return true;
}

}  // namespace korvane
