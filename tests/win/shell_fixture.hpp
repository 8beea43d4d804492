// What the tests of the running shell share: the program started in this process with a
// private APPDATA, the other program a paste goes to, and a reader of popup menus that picks an
// item as a user would.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "win/app/app.hpp"
#include "win/app/main.hpp"
#include "win_test_support.hpp"

namespace korvane::shell_test {

using namespace std::chrono_literals;
using test::TempAppData;

inline std::string settings_file(const TempAppData& appdata) {
    const auto bytes = test::read_file(appdata.file(L"settings.ini"));
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
}

inline RECT window_rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

inline RECT work_area() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

// Serves this thread's windows: the program's own run in this process.
inline void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

inline bool is_topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The other program, with its window once it has made it.
struct OtherProgram {
    std::optional<test::Process> process;
    HWND window = nullptr;

    OtherProgram() : process(test::start_program(test::program_folder() + L"\\test_target.exe")) {
        if (process)
            test::wait_until([&] { return (window = test::find_process_window(process->id, L"KorvaneTestTarget")) != nullptr; },
                             15s);
    }
    ~OtherProgram() {
        if (!process) return;
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (!process->wait(10s)) process->kill();
    }
    // Copies a text there as its user would (the request is the test program's own).
    void copy(const std::wstring& text) const {
        COPYDATASTRUCT request{1, DWORD(text.size() * sizeof(wchar_t)), const_cast<wchar_t*>(text.data())};
        SendMessageW(window, WM_COPYDATA, 0, LPARAM(&request));
    }
    // Registers a global shortcut there, so that Korvane finds it taken; false when the program
    // did not start or could not register it.
    bool hold_shortcut(uint32_t modifiers, uint32_t key) const {
        const uint32_t held[2] = {modifiers, key};
        COPYDATASTRUCT request{4, sizeof held, const_cast<uint32_t*>(held)};
        return window && SendMessageW(window, WM_COPYDATA, 0, LPARAM(&request)) == 1;
    }
};

// The middle of a tile of a toolbar as it is laid out now, from the layout the toolbar uses.
inline POINT tile_middle(HWND window, Area area, uint64_t index) {
    AppBorrow app = borrow_app();
    const ToolbarState* toolbar = toolbar_for(*app, window);
    const Rect r = tile_rect(shape_of(*toolbar, app->store).layout, area, index);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
inline LPARAM tile_lparam(HWND window, Area area, uint64_t index) {
    const POINT p = tile_middle(window, area, index);
    return MAKELPARAM(p.x, p.y);
}

inline POINT point_of(LPARAM lparam) { return POINT{short(LOWORD(lparam)), short(HIWORD(lparam))}; }

// A point of the docked strip below its sections, where nothing is.
inline POINT below_the_sections(HWND docked) {
    AppBorrow app = borrow_app();
    const Rect pinned = empty_rect(shape_of(*toolbar_for(*app, docked), app->store).layout, Area::Pinned);
    return POINT{(pinned.left + pinned.right) / 2, pinned.bottom + 100};
}

inline NOTIFYICONDATAW notification_icon_of(HWND main_window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main_window;
    icon.uID = 1;
    return icon;
}

class Shell : public testing::Test {
protected:
    void SetUp() override { start({}); }

    void start(const std::string& settings) {
        if (!settings.empty()) {
            CreateDirectoryW(appdata.korvane_folder().c_str(), nullptr);
            test::write_file(appdata.file(L"settings.ini"), Bytes(settings.begin(), settings.end()));
        }
        start_shell(GetModuleHandleW(nullptr), {});
        AppBorrow app = borrow_app();
        main_window = app->main_window;
        docked = app->docked.window;
        popup = app->popup.window;
    }

    void TearDown() override {
        if (IsWindow(main_window)) DestroyWindow(main_window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) DispatchMessageW(&message);
        take_app();
    }

    TempAppData appdata;
    HWND main_window = nullptr;
    HWND docked = nullptr;
    HWND popup = nullptr;
};

// Reads the open popup menu from another thread, then picks an item (or none) by its id.
struct MenuReader {
    std::vector<std::pair<std::wstring, UINT>> items;  // text and state
    std::thread thread;

    static constexpr UINT NOTHING = 0xFFFF;

    void read_then_choose(UINT choose_id) {
        thread = std::thread([this, choose_id] {
            // The menu window once it is on the screen: made before it is shown, it has no items
            // to read yet.
            HWND menu_window = nullptr;
            test::wait_until([&] {
                menu_window = FindWindowW(L"#32768", nullptr);
                return menu_window && IsWindowVisible(menu_window) &&
                       GetMenuItemCount(HMENU(SendMessageW(menu_window, MN_GETHMENU, 0, 0))) > 0;
            }, 10s);
            if (!menu_window) return;
            HMENU menu = HMENU(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
            int chosen_position = -1;
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[128] = {};
                GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
                items.emplace_back(text, GetMenuState(menu, UINT(i), MF_BYPOSITION));
                if (GetMenuItemID(menu, i) == choose_id) chosen_position = i;
            }
            if (chosen_position < 0) {
                PostMessageW(menu_window, WM_KEYDOWN, VK_ESCAPE, 0);
                return;
            }
            // Walk down to the item with the keyboard (separators are skipped) and press Enter.
            int steps = 0;
            for (int i = 0; i <= chosen_position; ++i)
                if (!(GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR)) ++steps;
            for (int i = 0; i < steps; ++i) PostMessageW(menu_window, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu_window, WM_KEYDOWN, VK_RETURN, 0);
        });
    }
    ~MenuReader() {
        if (thread.joinable()) thread.join();
    }
};

}  // namespace korvane::shell_test
