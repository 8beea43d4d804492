#include "win/shell/hotkey.hpp"

#include <string>

#include "win/app/app.hpp"
#include "win/app/settings_change.hpp"
#include "win/storage/files.hpp"
#include "win/app/warning.hpp"

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

bool change_popup_shortcut(Shortcut wanted) {
    HWND main_window = nullptr;
    Shortcut kept;
    if (AppBorrow app = borrow_app()) {
        main_window = app->main_window;
        kept = app->registered_shortcut;
    } else {
        return false;
    }
    if (wanted == kept) return true;
    UnregisterHotKey(main_window, POPUP_HOTKEY);
    if (!register_popup_shortcut(main_window, wanted)) {
        const DWORD error = GetLastError();
        register_popup_shortcut(main_window, kept);
        show_warning(error == ERROR_HOTKEY_ALREADY_REGISTERED
                         ? shortcut_taken_message(wanted, kept)
                         : "The shortcut " + shortcut_text(wanted) + " could not be used: " + os_error_text(error));
        return false;
    }
    if (AppBorrow app = borrow_app()) app->registered_shortcut = wanted;
    change_settings([&](Settings& settings) { settings.shortcut = wanted; });
    return true;
}

}  // namespace korvane
