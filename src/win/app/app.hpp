// The application record: all state of the running program, in a thread-local slot of the
// user-interface thread.  A handler borrows it for one short step; a handler entered from a
// nested message loop while it is borrowed finds it taken and drops its work.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.hpp"
#include "core/shortcut.hpp"
#include "core/store.hpp"
#include "win/clipboard/picture_packer.hpp"
#include "win/support/handles.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {

struct DockFields {
    HMONITOR monitor = nullptr;
    bool appbar_registered = false;
    // Monitors on which the shell reported a full-screen program (ABN_FULLSCREENAPP 1) and not
    // yet its end: on them the strip stays at the bottom, whatever places it again meanwhile.
    std::vector<HMONITOR> full_screen_monitors;
};

// Where the popup was last opened, and when it last lost the activation (the icon's click that
// follows must not reopen it).
struct PopupFields {
    POINT anchor{};
    DWORD hidden_at = 0;
};

struct App {
    ToolbarState popup;
    ToolbarState docked;
    DockFields dock;
    PopupFields popup_place;
    ClipStore store;
    Settings settings;  // as the user chose them and settings.ini keeps them
    HWND main_window = nullptr;
    OwnedIcon tray_icon;
    // The popup's shortcut as it is registered now: off when none is, also when another program
    // held the one the settings ask for at start-up.
    Shortcut registered_shortcut;
    // Why the settings' shortcut is not registered, when it is not: another program held it.
    std::optional<std::string> shortcut_problem;
    PicturePacker packer;
};

// The toolbar state of a window, or null for any other window.
ToolbarState* toolbar_for(App& app, HWND window);

class AppBorrow {
public:
    AppBorrow() = default;
    explicit AppBorrow(App* app);
    AppBorrow(AppBorrow&& other) noexcept;
    AppBorrow& operator=(AppBorrow&&) = delete;
    AppBorrow(const AppBorrow&) = delete;
    ~AppBorrow();

    explicit operator bool() const { return app_ != nullptr; }
    // Gives the record back before the borrow's scope ends.
    void release();
    App* operator->() const { return app_; }
    App& operator*() const { return *app_; }

private:
    App* app_ = nullptr;
};

// Empty when there is no record yet or it is already borrowed.
AppBorrow borrow_app();

// Puts the record into the slot at start-up and takes it out again after the message loop.
void install_app(std::unique_ptr<App> app);
std::unique_ptr<App> take_app();

}  // namespace korvane
