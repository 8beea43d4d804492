// The shell pieces of the running program in this process: the docked strip, the popup, the
// shell's notifications (sent here, since Wine never sends them), the notification-icon menu
// and the settings dialog, driven as a user would from a second thread.
// The file is long because every case starts the same program in this process (shell_fixture.hpp)
// and the shell's duties reach into each other: docking, the popup, the menus and the settings.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <thread>

#include "core/template.hpp"
#include "win/app/app.hpp"
#include "win/toolbar/commands.hpp"
#include "win/shell/dock.hpp"
#include "win/app/main.hpp"
#include "win/toolbar/palette.hpp"
#include "win/toolbar/toolbar_input.hpp"
#include "win/toolbar/toolbar_keys.hpp"
#include "win/clipboard/paste.hpp"
#include "win/support/platform.hpp"
#include "win/shell/popup.hpp"
#include "win/dialogs/settings_dialog.hpp"
#include "win/support/wide.hpp"
#include "win/toolbar/toolbar.hpp"
#include "shell_fixture.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace shell_test;

TEST_F(Shell, TheStripTakesTheRightEdgeMovesLeftHidesAndComesBack) {
    const RECT work = work_area();
    EXPECT_TRUE(IsWindowVisible(docked));
    EXPECT_TRUE(is_topmost(docked));
    RECT r = window_rect(docked);
    EXPECT_EQ(r.left, work.right - 76);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.top, work.top);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\n");

    set_dock_edge(false);
    r = window_rect(docked);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.right, work.left + 76);
    EXPECT_EQ(settings_file(appdata), "edge=left\r\nminimized=false\r\n");

    minimize_toolbar();
    EXPECT_FALSE(IsWindowVisible(docked));
    EXPECT_EQ(settings_file(appdata), "edge=left\r\nminimized=true\r\n");
    set_dock_edge(true);  // choosing an edge while minimized shows the strip there
    EXPECT_TRUE(IsWindowVisible(docked));
    EXPECT_EQ(window_rect(docked).right, work.right);
    EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\n");
}

TEST_F(Shell, FullScreenProgramsSendTheStripDownAndARestartedTaskbarGetsItBack) {
    SendMessageW(docked, WM_APP + 2, ABN_FULLSCREENAPP, 1);
    EXPECT_FALSE(is_topmost(docked));
    // Whatever places the strip again while the full-screen program is open leaves it down.
    SendMessageW(docked, WM_APP + 2, ABN_POSCHANGED, 0);
    EXPECT_FALSE(is_topmost(docked));
    SendMessageW(docked, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    EXPECT_FALSE(is_topmost(docked));
    set_dock_edge(false);
    EXPECT_FALSE(is_topmost(docked));
    set_dock_edge(true);
    SendMessageW(docked, WM_APP + 2, ABN_FULLSCREENAPP, 0);
    EXPECT_TRUE(is_topmost(docked));
    SendMessageW(docked, WM_APP + 2, ABN_POSCHANGED, 0);
    EXPECT_TRUE(is_topmost(docked));

    // The shell forgets the icon and the bar when it restarts.
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main_window;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    bar.hWnd = docked;
    SHAppBarMessage(ABM_REMOVE, &bar);
    SetWindowPos(docked, nullptr, 500, 500, 76, 100, SWP_NOACTIVATE | SWP_NOZORDER);
    SendMessageW(main_window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon));  // it is there again
    EXPECT_EQ(window_rect(docked).right, work_area().right);
    EXPECT_EQ(window_rect(docked).top, work_area().top);
}

TEST_F(Shell, TheStripIsRegisteredWithTheShellOnlyWhileDocked) {
    // The shell takes a bar once: a second registration of the same window is refused.
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    bar.hWnd = docked;
    bar.uCallbackMessage = WM_APP + 2;
    EXPECT_EQ(SHAppBarMessage(ABM_NEW, &bar), 0u);
    minimize_toolbar();
    EXPECT_NE(SHAppBarMessage(ABM_NEW, &bar), 0u);  // free again: the minimized strip let it go
    SHAppBarMessage(ABM_REMOVE, &bar);
    show_docked_toolbar();
    EXPECT_EQ(SHAppBarMessage(ABM_NEW, &bar), 0u);
    // "TaskbarCreated" from a shell that did not forget the bar: it is registered anew, not lost
    // (a bar the program thinks gone is never removed, and the next strip docks beside it).
    SendMessageW(main_window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(borrow_app()->dock.appbar_registered);
    EXPECT_EQ(SHAppBarMessage(ABM_NEW, &bar), 0u);
}

TEST_F(Shell, OnWineTheWindowInFrontIsFollowedAlsoWhenItOpensAfterKorvane) {
    // Wine delivers no foreground events: the poll alone must find a program started later.
    ASSERT_TRUE(running_on_wine());
    const OtherProgram started_later;
    ASSERT_NE(started_later.window, nullptr);
    EXPECT_TRUE(test::wait_until([&] { pump(); return paste_target() == started_later.window; }, 10s));
}

// Clicks the strip with real input at a client point, and lets the messages through.
void click_strip(HWND docked, POINT at) {
    ClientToScreen(docked, &at);
    INPUT click[2] = {};
    for (INPUT& input : click) {
        input.type = INPUT_MOUSE;
        input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    click[0].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

TEST_F(Shell, ClicksOnTheStripsTilesLeaveTheForegroundWhereItWasAndItsEmptyAreaTakesTheKeyboard) {
    const OtherProgram target;
    ASSERT_NE(target.window, nullptr);
    const HWND other = target.window;
    if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text("tile"));
    refresh_all_toolbars();
    SetForegroundWindow(other);
    // In front, and taken as the paste target by the foreground poll.
    ASSERT_TRUE(test::wait_until([&] { pump(); return GetForegroundWindow() == other && paste_target() == other; }, 5s));
    // A click on the tile pastes it into the other program, which stays in front.
    const HWND edit = FindWindowExW(other, nullptr, L"EDIT", nullptr);
    click_strip(docked, tile_middle(docked, Area::Recent, 0));
    EXPECT_TRUE(test::wait_until([&] {
        pump();
        wchar_t text[64] = {};
        SendMessageW(edit, WM_GETTEXT, 64, LPARAM(text));
        return std::wstring(text) == L"tile";
    }, 10s));
    EXPECT_EQ(GetForegroundWindow(), other);

    click_strip(docked, below_the_sections(docked));
    EXPECT_TRUE(test::wait_until([&] { pump(); return GetForegroundWindow() == docked; }, 5s));
    EXPECT_EQ(GetFocus(), docked);
    EXPECT_EQ(paste_target(), other);  // the strip never becomes the paste target
    on_key_down(docked, VK_ESCAPE);  // Escape hands the keyboard back
    EXPECT_TRUE(test::wait_until([&] { pump(); return GetForegroundWindow() == other; }, 5s));
}

TEST_F(Shell, AReleaseAfterACopyMovedTheTilesPastesNothing) {
    if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text("pressed"));
    refresh_all_toolbars();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();  // owned by nobody now
    CloseClipboard();
    const LPARAM first_tile = tile_lparam(docked, Area::Recent, 0);
    on_left_button_down(docked, point_of(first_tile));
    if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text("arrived in between"));
    refresh_all_toolbars();
    on_left_button_up(docked, point_of(first_tile), false);
    EXPECT_NE(GetClipboardOwner(), main_window);  // the clip now under the pointer was not pasted

    on_left_button_down(docked, point_of(first_tile));
    on_left_button_up(docked, point_of(first_tile), false);
    EXPECT_EQ(GetClipboardOwner(), main_window);  // a press and release on one clip pastes it
}

TEST_F(Shell, ThePopupSizesToItsClipsAndStaysInsideTheWorkArea) {
    show_popup(960, 600);
    EXPECT_TRUE(IsWindowVisible(popup));
    RECT r = window_rect(popup);
    EXPECT_EQ(r.right - r.left, 284);
    EXPECT_EQ(r.bottom - r.top, 170);
    EXPECT_EQ(r.left, 960 - 142);
    EXPECT_EQ(r.top, 600 - 170 - 8);
    hide_popup();
    {
        AppBorrow app = borrow_app();
        for (int i = 0; i < 10; ++i) record_capture(app->store, ClipContent::make_text("r" + std::to_string(i)));
        for (int i = 0; i < 20; ++i) add_pin(app->store, ClipContent::make_text("p" + std::to_string(i)), std::nullopt, {});
    }
    const RECT work = work_area();
    show_popup(1900, 1060);
    r = window_rect(popup);
    EXPECT_EQ(r.right - r.left, 554);
    EXPECT_EQ(r.bottom - r.top, 264);
    EXPECT_EQ(r.left, std::min(1900 - 277, int(work.right) - 554 - 8));
    EXPECT_EQ(r.top, std::min(1060 - 272, int(work.bottom) - 272));
    hide_popup();
}

// Windows tells a window moved to a monitor of another DPI with WM_DPICHANGED and a rectangle;
// Wine has one DPI for every monitor, so the message is sent here as Windows would send it.
TEST_F(Shell, OnAMonitorOfAnotherDpiTheStripAndThePopupAreLaidOutAtIt) {
    const auto send_dpi = [](HWND window, unsigned dpi, RECT suggested) {
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    };
    const auto laid_out_at = [](HWND window) {
        AppBorrow app = borrow_app();
        const ToolbarState& toolbar = *toolbar_for(*app, window);
        LOGFONTW font{};
        GetObjectW(toolbar.title_font.get(), sizeof font, &font);
        return std::pair{shape_of(toolbar, app->store).layout.dpi, int(-font.lfHeight)};
    };
    const RECT work = work_area();
    const std::pair at_96 = laid_out_at(docked);
    send_dpi(docked, 144, RECT{0, 0, 114, 500});
    RECT r = window_rect(docked);
    EXPECT_EQ(r.right - r.left, docked_strip_width(144));
    EXPECT_EQ(r.right, work.right);  // back at its edge, not where the rectangle said
    EXPECT_EQ(r.bottom - r.top, work.bottom - work.top);
    EXPECT_EQ(laid_out_at(docked), std::pair(144u, scale(at_96.second, 144)));
    send_dpi(docked, 96, RECT{0, 0, 76, 500});
    EXPECT_EQ(window_rect(docked).right - window_rect(docked).left, 76);
    EXPECT_EQ(laid_out_at(docked), at_96);

    show_popup(960, 600);
    const RECT shown = window_rect(popup);
    send_dpi(popup, 144, RECT{shown.left, shown.top, shown.left + 426, shown.top + 255});
    r = window_rect(popup);
    Size at_144{};
    {
        AppBorrow app = borrow_app();
        at_144 = content_size(shape_of(app->popup, app->store).layout);
    }
    EXPECT_EQ(laid_out_at(popup).first, 144u);
    EXPECT_EQ(r.right - r.left, at_144.width);
    EXPECT_EQ(r.bottom - r.top, at_144.height);
    EXPECT_GT(at_144.width, shown.right - shown.left);
    send_dpi(popup, 96, shown);
    EXPECT_EQ(window_rect(popup).right - window_rect(popup).left, 284);
    hide_popup();
}

TEST_F(Shell, TheIconClosesAnOpenPopupWithoutReopeningItButEscapeDoesNotBlockIt) {
    show_popup(800, 700);
    ASSERT_TRUE(IsWindowVisible(popup));
    // A click on the icon first takes the activation away, then selects the icon.
    SendMessageW(popup, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(IsWindowVisible(popup));
    toggle_popup(800, 700);
    EXPECT_FALSE(IsWindowVisible(popup));
    Sleep(450);
    toggle_popup(800, 700);
    EXPECT_TRUE(IsWindowVisible(popup));
    on_key_down(popup, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(popup));
    toggle_popup(800, 700);  // Escape leaves the time alone, so the icon opens it at once
    EXPECT_TRUE(IsWindowVisible(popup));
    {
        AppBorrow app = borrow_app();
        record_capture(app->store, ClipContent::make_text("one"));
        for (int i = 0; i < 6; ++i) record_capture(app->store, ClipContent::make_text("x" + std::to_string(i)));
    }
    refresh_all_toolbars();  // a capture while open resizes it around the same anchor
    const RECT r = window_rect(popup);
    EXPECT_EQ(r.right - r.left, 7 * 48 + 20 + 6 * 6);
    EXPECT_EQ((r.left + r.right) / 2, 800);
    hide_popup();
}

TEST_F(Shell, TheNotificationMenuOffersWhatFitsAndExitEndsTheProgram) {
    {
        MenuReader reader;
        reader.read_then_choose(MenuReader::NOTHING);
        SendMessageW(main_window, WM_APP + 1, MAKEWPARAM(1800, 1000), MAKELPARAM(WM_CONTEXTMENU, 1));
        reader.thread.join();
        ASSERT_EQ(reader.items.size(), 9u);
        EXPECT_EQ(reader.items[0].first, L"Open");
        EXPECT_EQ(reader.items[2].first, L"Minimize toolbar");
        EXPECT_EQ(reader.items[3].first, L"Dock on the left");
        EXPECT_FALSE(reader.items[3].second & MF_CHECKED);
        EXPECT_EQ(reader.items[4].first, L"Dock on the right");
        EXPECT_TRUE(reader.items[4].second & MF_CHECKED);
        EXPECT_EQ(reader.items[5].first, L"Settings");
        EXPECT_EQ(reader.items[6].first, L"Pause capture");
        EXPECT_EQ(reader.items[8].first, L"Exit");
    }
    minimize_toolbar();
    borrow_app()->settings.capture_paused = true;
    {
        MenuReader reader;
        reader.read_then_choose(2);  // Exit
        SendMessageW(main_window, WM_APP + 1, MAKEWPARAM(1800, 1000), MAKELPARAM(WM_CONTEXTMENU, 1));
        reader.thread.join();
        ASSERT_EQ(reader.items.size(), 9u);
        EXPECT_EQ(reader.items[2].first, L"Show toolbar");
        EXPECT_EQ(reader.items[6].first, L"Resume capture");
    }
    EXPECT_FALSE(IsWindow(main_window));
    EXPECT_FALSE(IsWindow(docked));
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main_window;
    icon.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &icon));  // the icon is gone
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) quit |= message.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

// Right-clicks a tile of the docked strip and reads its menu; nothing is chosen.
std::vector<std::pair<std::wstring, UINT>> tile_menu(HWND docked, Area area) {
    const LPARAM tile = tile_lparam(docked, area, 0);
    MenuReader reader;
    reader.read_then_choose(MenuReader::NOTHING);
    on_right_button_up(docked, point_of(tile));
    reader.thread.join();
    return reader.items;
}

std::vector<std::wstring> texts_of(const std::vector<std::pair<std::wstring, UINT>>& items) {
    std::vector<std::wstring> texts;
    for (const auto& item : items) texts.push_back(item.first);
    return texts;
}

TEST_F(Shell, TheTileMenuOffersWhatFitsTheClip) {
    {
        AppBorrow app = borrow_app();
        record_capture(app->store, ClipContent::make_image(test::solid_dib(8, 8, 0xFF0000)));
        add_pin(app->store, ClipContent::make_text("Dear ${name},"), std::string("Letter"),
                sync_variables("Dear ${name},", {}).definitions);
        set_custom_icon(app->store, {Area::Pinned, 0}, Bytes(96 * 96 * 4, 0x80));
    }
    refresh_all_toolbars();
    EXPECT_EQ(texts_of(tile_menu(docked, Area::Recent)),
              (std::vector<std::wstring>{L"Pin", L"Rename\u2026", L"Change icon\u2026", L"", L"Delete"}));
    const auto pinned = tile_menu(docked, Area::Pinned);
    EXPECT_EQ(texts_of(pinned), (std::vector<std::wstring>{L"Unpin", L"Rename\u2026", L"Edit text\u2026",
                                                           L"Variables\u2026", L"Change icon\u2026",
                                                           L"Reset icon", L"", L"Delete"}));
    for (const auto& [text, state] : pinned)
        if (!(state & MF_SEPARATOR)) EXPECT_FALSE(state & MF_GRAYED) << text;
    EXPECT_TRUE(pinned[6].second & MF_SEPARATOR);

    {
        AppBorrow app = borrow_app();
        for (int i = 1; i < 20; ++i) add_pin(app->store, ClipContent::make_text("pin " + std::to_string(i)), {}, {});
        ASSERT_EQ(app->store.pins.size(), 20u);
    }
    refresh_all_toolbars();
    const auto full = tile_menu(docked, Area::Recent);
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(full[0].first, L"Pin (20 pins used)");
    EXPECT_TRUE(full[0].second & MF_GRAYED);
}

class StartMinimized : public Shell {
protected:
    void SetUp() override { start("edge=left\r\nminimized=true\r\n"); }
};

TEST_F(StartMinimized, ShowsOnlyTheNotificationIcon) {
    EXPECT_FALSE(IsWindowVisible(docked));
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main_window;
    icon.uID = 1;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon));
    EXPECT_EQ(settings_file(appdata), "edge=left\r\nminimized=true\r\n");  // not rewritten
}

constexpr wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Drives the settings dialog from another thread: clicks the given controls, each waited for,
// then presses a button (IDOK or IDCANCEL) or closes it.
void drive_settings(std::vector<int> clicks, int finish) {
    HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s);
    if (!dialog) return;
    for (int id : clicks) EXPECT_TRUE(test::click_button(dialog, id)) << id;
    if (finish == WM_CLOSE) PostMessageW(dialog, WM_CLOSE, 0, 0);
    else PostMessageW(dialog, WM_COMMAND, finish, 0);
}

std::optional<std::wstring> run_value() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_QUERY_VALUE, &key)) return std::nullopt;
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    const LSTATUS status = RegQueryValueExW(key, L"Korvane", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(data);
}

void set_run_value(const std::optional<std::wstring>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_SET_VALUE, &key)) return;
    if (data)
        RegSetValueExW(key, L"Korvane", 0, REG_SZ, reinterpret_cast<const BYTE*>(data->c_str()),
                       DWORD((data->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, L"Korvane");
    RegCloseKey(key);
}

// The tests change the sign-in value of whoever runs them; it is put back as it was.
class KeptRunValue {
public:
    KeptRunValue() : kept_(run_value()) {}
    ~KeptRunValue() { set_run_value(kept_); }
    KeptRunValue(const KeptRunValue&) = delete;
    KeptRunValue& operator=(const KeptRunValue&) = delete;

private:
    std::optional<std::wstring> kept_;
};

TEST_F(Shell, SettingsApplyOnlyWhatWasConfirmed) {
    const KeptRunValue kept;
    set_run_value(std::nullopt);
    test::MessageBoxWatcher warnings;

    for (int finish : {int(IDCANCEL), int(WM_CLOSE)}) {
        std::thread driver(drive_settings, std::vector<int>{201, 210}, finish);
        run_settings_dialog();
        driver.join();
        EXPECT_TRUE(IsWindowVisible(docked));
        EXPECT_EQ(window_rect(docked).right, work_area().right);
        EXPECT_FALSE(run_value());
    }
    {
        std::thread driver(drive_settings, std::vector<int>{}, IDOK);  // no changes
        run_settings_dialog();
        driver.join();
        EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\n");
        EXPECT_FALSE(run_value());
    }
    {
        std::thread driver(drive_settings, std::vector<int>{201, 210}, IDOK);
        run_settings_dialog();
        driver.join();
        EXPECT_EQ(window_rect(docked).left, work_area().left);
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        EXPECT_EQ(run_value(), L"\"" + std::wstring(exe) + L"\"");
    }
    {
        std::thread driver(drive_settings, std::vector<int>{202, 210}, IDOK);
        run_settings_dialog();
        driver.join();
        EXPECT_FALSE(IsWindowVisible(docked));
        EXPECT_FALSE(run_value());
    }
    // Turning it off again when someone else already removed the value is no error.
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    set_run_value(L"\"" + std::wstring(exe) + L"\"");
    {
        std::thread driver([&] {
            HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s);
            if (!dialog) return;
            set_run_value(std::nullopt);
            EXPECT_TRUE(test::click_button(dialog, 210));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        run_settings_dialog();
        driver.join();
    }
    EXPECT_TRUE(warnings.texts().empty());
}

TEST_F(Shell, TheSignInBoxIsTickedOnlyForAValueThatStartsThisCopy) {
    const KeptRunValue kept;
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring upper(exe);
    CharUpperW(upper.data());
    const std::wstring other_copy = L"\"C:\\elsewhere\\Korvane.exe\"";
    const std::pair<std::wstring, bool> cases[] = {
        {other_copy, false}, {L"\"" + std::wstring(exe) + L"\"", true}, {upper, true}};
    for (const auto& [data, ticked] : cases) {
        set_run_value(data);
        bool shown_ticked = !ticked;
        std::thread driver([&] {
            HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s);
            if (!dialog) return;
            shown_ticked = SendMessageW(GetDlgItem(dialog, 210), BM_GETCHECK, 0, 0) == BST_CHECKED;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        run_settings_dialog();
        driver.join();
        EXPECT_EQ(shown_ticked, ticked) << from_wide(data);
    }
    // Ticking the box over another copy's value makes it start this one.
    set_run_value(other_copy);
    std::thread driver(drive_settings, std::vector<int>{210}, IDOK);
    run_settings_dialog();
    driver.join();
    EXPECT_EQ(run_value(), L"\"" + std::wstring(exe) + L"\"");
}

// Chooses an item of the notification icon's menu, opened at (900, 700).
void choose_in_tray_menu(HWND main_window, UINT id) {
    MenuReader reader;
    reader.read_then_choose(id);
    SendMessageW(main_window, WM_APP + 1, MAKEWPARAM(900, 700), MAKELPARAM(WM_CONTEXTMENU, 1));
    reader.thread.join();
}

TEST_F(Shell, TheNotificationIconOpensThePopupAndItsMenuPlacesTheStrip) {
    // The keyboard's select (Enter on the focused icon) opens the popup above the icon's point.
    SendMessageW(main_window, WM_APP + 1, MAKEWPARAM(850, 650), MAKELPARAM(NIN_KEYSELECT, 1));
    ASSERT_TRUE(IsWindowVisible(popup));
    RECT r = window_rect(popup);
    EXPECT_EQ((r.left + r.right) / 2, 850);
    EXPECT_EQ(r.bottom, 650 - 8);
    on_key_down(popup, VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(popup));

    choose_in_tray_menu(main_window, 1);  // Open
    ASSERT_TRUE(IsWindowVisible(popup));
    r = window_rect(popup);
    EXPECT_EQ((r.left + r.right) / 2, 900);
    EXPECT_EQ(r.bottom, 700 - 8);
    on_key_down(popup, VK_ESCAPE);

    const RECT work = work_area();
    choose_in_tray_menu(main_window, 5);  // Dock on the left
    EXPECT_EQ(window_rect(docked).left, work.left);
    EXPECT_EQ(settings_file(appdata), "edge=left\r\nminimized=false\r\n");
    choose_in_tray_menu(main_window, 4);  // Minimize toolbar
    EXPECT_FALSE(IsWindowVisible(docked));
    choose_in_tray_menu(main_window, 3);  // Show toolbar
    EXPECT_TRUE(IsWindowVisible(docked));
    EXPECT_EQ(window_rect(docked).left, work.left);
    choose_in_tray_menu(main_window, 6);  // Dock on the right
    EXPECT_EQ(window_rect(docked).right, work.right);
    EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\n");

    bool settings_opened = false;
    std::thread driver([&] {
        HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s);
        settings_opened = dialog != nullptr;
        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    choose_in_tray_menu(main_window, 7);  // Settings
    driver.join();
    EXPECT_TRUE(settings_opened);
}

TEST_F(Shell, RenameAndEditTextLeftAsTheyWereKeepTheTextsOwnBytes) {
    const std::string text = "line one\nline two\r\nline three";
    ClipId id = 0;
    if (AppBorrow app = borrow_app()) {
        add_pin(app->store, ClipContent::make_text(text), std::string("Name"), {});
        id = app->store.pins[0].id;
    }
    for (TileCommand command : {TileCommand::Rename, TileCommand::EditText}) {
        std::thread driver([] {
            if (HWND dialog = test::wait_for_dialog(L"KorvaneEditor", 10s)) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        run_tile_command(command, id, false);
        driver.join();
        AppBorrow app = borrow_app();
        ASSERT_EQ(app->store.pins.size(), 1u);
        EXPECT_EQ(app->store.pins[0].content.text, text);
        EXPECT_EQ(app->store.pins[0].name, "Name");
    }
    // Copying the original text again still finds the pin: nothing new appears under Recent.
    AppBorrow app = borrow_app();
    record_capture(app->store, ClipContent::make_text(text));
    EXPECT_TRUE(app->store.recent.empty());
}

// A failed save used to show its warning while the record was taken: copies made meanwhile were
// lost, the strip skipped its paints and a restarted shell lost the icon.
TEST_F(Shell, AFailedSaveWarnsOnlyAfterTheRecordIsFreeSoCapturePaintAndTheShellGoOn) {
    const OtherProgram other;
    ASSERT_NE(other.window, nullptr);
    HWND tooltip = nullptr;
    if (AppBorrow app = borrow_app()) {
        record_capture(app->store, ClipContent::make_text("to be pinned"));
        tooltip = app->docked.tooltip;
    }
    refresh_all_toolbars();
    ASSERT_TRUE(CreateDirectoryW(appdata.file(L"pins.tmp").c_str(), nullptr));  // every save fails
    const LPARAM first_tile = tile_lparam(docked, Area::Recent, 0);
    // The left border of the first Recent tile, low enough to miss the empty list's text.
    POINT border = tile_middle(docked, Area::Recent, 0);
    border.x -= 24;
    border.y += 17;

    std::vector<std::wstring> warnings;
    bool captured = false, painted = false, icon_back = false;
    std::thread driver([&] {
        HWND box = nullptr;
        test::wait_until([&] { return (box = test::find_message_box(L"Korvane")) != nullptr; }, 20s);
        if (!box) return;
        warnings.push_back(test::message_box_text(box).value_or(L""));
        const LRESULT tools = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        other.copy(L"copied while the warning is up");
        captured = test::wait_until([&] { return SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0) > tools; }, 10s);
        // The new Recent tile's left border, where the empty list showed nothing.
        painted = test::wait_until([&] {
            InvalidateRect(docked, nullptr, FALSE);
            HDC dc = GetDC(docked);
            const COLORREF seen = GetPixel(dc, border.x, border.y);
            ReleaseDC(docked, dc);
            return seen == palette::TILE_BORDER;
        }, 10s);
        NOTIFYICONDATAW icon = notification_icon_of(main_window);
        Shell_NotifyIconW(NIM_DELETE, &icon);
        PostMessageW(main_window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        icon_back = test::wait_until([&] { return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE; }, 10s);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MenuReader menu;
    menu.read_then_choose(1);  // Pin
    on_right_button_up(docked, point_of(first_tile));
    menu.thread.join();
    driver.join();

    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].starts_with(L"Could not save pinned clips:\n")) << warnings[0];
    EXPECT_TRUE(captured);
    EXPECT_TRUE(painted);
    EXPECT_TRUE(icon_back);
    AppBorrow app = borrow_app();
    ASSERT_EQ(app->store.pins.size(), 1u);
    EXPECT_EQ(app->store.pins[0].content.text, "to be pinned");
    ASSERT_EQ(app->store.recent.size(), 1u);
    EXPECT_EQ(app->store.recent[0].content.text, "copied while the warning is up");
    app.release();
    RemoveDirectoryW(appdata.file(L"pins.tmp").c_str());
}

}  // namespace
}  // namespace korvane
