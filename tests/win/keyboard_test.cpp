// The toolbars from the keyboard, in this process: the global shortcut, the focus frame's moves,
// Enter, the digit keys, Delete, the menu key, typing to filter and Escape, and the shortcut in
// the settings.  Keys go to the windows' key handlers as the user's keys do; the journeys press
// real ones, and posted ones are refused (see program_test).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/clipboard_data.hpp"
#include "win/storage/files.hpp"
#include "win/support/beep.hpp"
#include "win/clipboard/capture.hpp"
#include "win/shell/dock.hpp"
#include "win/shell/hotkey.hpp"
#include "win/app/app.hpp"
#include "win/app/main.hpp"
#include "win/clipboard/paste.hpp"
#include "win/shell/popup.hpp"
#include "win/dialogs/settings_dialog.hpp"
#include "win/toolbar/toolbar_focus.hpp"
#include "win/toolbar/toolbar_keys.hpp"
#include "win/toolbar/palette.hpp"
#include "win/support/rects.hpp"
#include "win/support/wide.hpp"
#include "../core/search_cases.hpp"
#include "shell_fixture.hpp"

namespace korvane {
namespace {

using namespace shell_test;

// A key pressed with a modifier held (Shift, Ctrl), as the key handler sees it.
void key_with(HWND window, BYTE modifier, WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[modifier] = 0x80;
    SetKeyboardState(keys);
    on_key_down(window, key);
    keys[modifier] = 0;
    SetKeyboardState(keys);
}

class Keyboard : public Shell {
protected:
    void capture(const char* text) {
        if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text(text));
        refresh_all_toolbars();
    }
    void pin(const char* text) {
        if (AppBorrow app = borrow_app()) add_pin(app->store, ClipContent::make_text(text), std::nullopt, {});
        refresh_all_toolbars();
    }
    void key(HWND window, WPARAM key) { on_key_down(window, key); }
    void type(HWND window, std::wstring_view text) {
        for (wchar_t c : text) on_char(window, c);
    }
    std::optional<HitTarget> focused(HWND window) {
        AppBorrow app = borrow_app();
        ToolbarState* toolbar = toolbar_for(*app, window);
        return focused_target(*toolbar, app->store, shape_of(*toolbar, app->store));
    }
    ToolbarShape shape(HWND window) {
        AppBorrow app = borrow_app();
        return shape_of(*toolbar_for(*app, window), app->store);
    }
    // What a paste left on the clipboard, when the program wrote it.
    std::optional<std::string> pasted() {
        if (GetClipboardOwner() != main_window || !OpenClipboard(nullptr)) return std::nullopt;
        std::optional<Bytes> block = read_global_block(GetClipboardData(CF_UNICODETEXT));
        CloseClipboard();
        if (!block) return std::nullopt;
        return decode_unicode_text(*block);
    }
    void forget_the_clipboard() {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
    }
};

TEST_F(Keyboard, TheShortcutOpensThePopupOnTheFirstTileAndArrowsAndEnterPasteTheChosenOne) {
    capture("first");
    capture("second");  // Recent: second, first
    forget_the_clipboard();
    toggle_popup_from_shortcut();
    ASSERT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(focused(popup), (HitTarget{HitKind::RecentTile, 0}));
    if (AppBorrow app = borrow_app()) EXPECT_TRUE(app->popup.focus_cues);  // the frame shows at once
    POINT pointer{};
    GetCursorPos(&pointer);
    const RECT r = window_rect(popup);
    EXPECT_LE(r.left, std::max<LONG>(pointer.x, work_area().left + 8));  // opened near the pointer, inside the work area
    EXPECT_GE(r.top, work_area().top);

    key(popup, VK_RIGHT);
    EXPECT_EQ(focused(popup), (HitTarget{HitKind::RecentTile, 1}));
    key(popup, VK_TAB);  // no pins: on to the buttons
    EXPECT_FALSE(is_tile(focused(popup)->kind));
    key(popup, VK_TAB);
    EXPECT_EQ(focused(popup), (HitTarget{HitKind::RecentTile, 0}));
    key(popup, VK_RIGHT);
    key(popup, VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_EQ(pasted(), "first");

    // The shortcut again while the popup is open closes it.
    toggle_popup_from_shortcut();
    ASSERT_TRUE(IsWindowVisible(popup));
    toggle_popup_from_shortcut();
    EXPECT_FALSE(IsWindowVisible(popup));
}

TEST_F(Keyboard, TheShortcutOpensThePopupAboveTheCaretOfTheWindowInFront) {
    const OtherProgram other;
    ASSERT_NE(other.window, nullptr);
    SetForegroundWindow(other.window);
    POINT caret{};
    ASSERT_TRUE(test::wait_until([&] {
        pump();
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        if (GetForegroundWindow() != other.window ||
            !GetGUIThreadInfo(GetWindowThreadProcessId(other.window, nullptr), &thread) || !thread.hwndCaret)
            return false;
        caret = POINT{thread.rcCaret.left, thread.rcCaret.top};
        return ClientToScreen(thread.hwndCaret, &caret) != FALSE;
    }, 5s));
    SetCursorPos(caret.x + 600, caret.y + 400);  // far from the caret
    toggle_popup_from_shortcut();
    ASSERT_TRUE(IsWindowVisible(popup));
    const RECT r = window_rect(popup);
    const RECT work = work_area();
    EXPECT_TRUE(r.left <= caret.x && caret.x <= r.right) << r.left << ".." << r.right << " caret " << caret.x;
    EXPECT_TRUE(r.bottom == caret.y - 8 || r.top == work.top + 8) << r.top << ".." << r.bottom << " caret " << caret.y;
    EXPECT_TRUE(r.left >= work.left && r.right <= work.right && r.top >= work.top && r.bottom <= work.bottom);
    hide_popup();
}

TEST_F(Keyboard, DigitsPasteRecentClipsByNumberAndMissingOnesBeep) {
    for (const char* text : {"one", "two", "three"}) capture(text);  // Recent: three two one
    forget_the_clipboard();
    toggle_popup_from_shortcut();
    type(popup, L"2");
    EXPECT_EQ(pasted(), "two");
    EXPECT_FALSE(IsWindowVisible(popup));

    SetFocus(docked);  // the docked strip takes the digits too once it has the keyboard
    type(docked, L"3");
    EXPECT_EQ(pasted(), "one");
    const uint64_t beeps = refusals_sounded();
    type(docked, L"0");  // there is no tenth clip
    EXPECT_EQ(refusals_sounded(), beeps + 1);
    type(docked, L"x");  // the strip has no filter: letters do nothing
    EXPECT_EQ(shape(docked).layout.recent_count, 3u);
}

TEST_F(Keyboard, TypingFiltersThePopupAndEscapeClearsTheFilterBeforeItClosesAndHandsTheKeyboardBack) {
    const OtherProgram other;
    ASSERT_NE(other.window, nullptr);
    SetForegroundWindow(other.window);
    ASSERT_TRUE(test::wait_until([&] { pump(); return paste_target() == other.window; }, 5s));
    for (const char* text : {"apple pie", "Banana", "grape"}) capture(text);
    pin("Pineapple");
    pin("cherry");
    toggle_popup_from_shortcut();
    const int width = window_rect(popup).right - window_rect(popup).left;
    type(popup, L"AP");
    ToolbarShape now = shape(popup);
    EXPECT_TRUE(now.layout.searching);
    EXPECT_EQ(now.layout.recent_count, 2u);  // grape, apple pie
    EXPECT_EQ(now.layout.pinned_count, 1u);  // Pineapple
    EXPECT_EQ(focused(popup), (HitTarget{HitKind::RecentTile, 0}));  // the first tile still shown
    EXPECT_EQ(window_rect(popup).right - window_rect(popup).left, width);  // the popup keeps its width

    type(popup, L"2");  // while typing, a digit is part of the text
    EXPECT_EQ(shape(popup).layout.recent_count, 0u);
    EXPECT_EQ(focused(popup), std::nullopt);
    key(popup, VK_BACK);
    key(popup, VK_BACK);  // "A" is left
    type(popup, L"pple p");  // "Apple p"
    EXPECT_EQ(shape(popup).layout.recent_count, 1u);
    forget_the_clipboard();
    key(popup, VK_RETURN);
    EXPECT_EQ(pasted(), "apple pie");

    toggle_popup_from_shortcut();
    type(popup, L"cherry");
    key(popup, VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_FALSE(shape(popup).layout.searching);
    EXPECT_EQ(shape(popup).layout.recent_count, 3u);
    key(popup, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(test::wait_until([&] { pump(); return GetForegroundWindow() == other.window; }, 5s));
}

TEST_F(Keyboard, DeleteRemovesTheFocusedClipAndAsksFirstForAPinThenHandsTheKeyboardBack) {
    const OtherProgram other;
    ASSERT_NE(other.window, nullptr);
    SetForegroundWindow(other.window);
    ASSERT_TRUE(test::wait_until([&] { pump(); return paste_target() == other.window; }, 5s));
    const auto other_in_front = [&] {
        return test::wait_until([&] { pump(); return GetForegroundWindow() == other.window; }, 5s);
    };
    capture("recent");
    pin("kept pin");
    pin("doomed pin");
    toggle_popup_from_shortcut();
    key(popup, VK_DELETE);  // on the Recent clip: no question, and the focus goes on
    EXPECT_TRUE(borrow_app()->store.recent.empty());
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(focused(popup), (HitTarget{HitKind::PinnedTile, 0}));
    key(popup, VK_RIGHT);  // from the first pin to the second
    ASSERT_EQ(focused(popup), (HitTarget{HitKind::PinnedTile, 1}));
    {
        test::MessageBoxWatcher no(IDNO);
        key(popup, VK_DELETE);
        ASSERT_EQ(no.texts().size(), 1u);
        EXPECT_EQ(no.texts()[0], L"Delete this pinned clip?\n\ndoomed pin");
    }
    EXPECT_TRUE(other_in_front());
    ASSERT_EQ(borrow_app()->store.pins.size(), 2u);
    toggle_popup_from_shortcut();
    key(popup, VK_RIGHT);
    {
        test::MessageBoxWatcher yes(IDYES);
        key(popup, VK_DELETE);
    }
    EXPECT_TRUE(other_in_front());
    AppBorrow app = borrow_app();
    ASSERT_EQ(app->store.pins.size(), 1u);
    EXPECT_EQ(app->store.pins[0].content.text, "kept pin");
}

TEST_F(Keyboard, TheMenuKeyAndShiftF10OpenTheFocusedTilesMenu) {
    capture("a text");
    pin("a pin");
    toggle_popup_from_shortcut();
    {
        MenuReader reader;
        reader.read_then_choose(MenuReader::NOTHING);
        key(popup, VK_APPS);
        reader.thread.join();
        ASSERT_FALSE(reader.items.empty());
        EXPECT_EQ(reader.items[0].first, L"Pin");  // the Recent clip's menu
    }
    toggle_popup_from_shortcut();
    key(popup, VK_TAB);  // to the pins
    {
        MenuReader reader;
        reader.read_then_choose(MenuReader::NOTHING);
        key_with(popup, VK_SHIFT, VK_F10);
        reader.thread.join();
        ASSERT_FALSE(reader.items.empty());
        EXPECT_EQ(reader.items[0].first, L"Unpin");
    }
}

void key_with_ctrl(HWND window, WPARAM key) { key_with(window, VK_CONTROL, key); }

std::string saved_pin_order() {
    std::string order;
    for (const Clip& pin : load_pins().pins) order += pin.content.text;
    return order;
}

TEST_F(Keyboard, CtrlAndAnArrowMoveTheFocusedPinOnePlaceAndTheMenuMovesItToo) {
    for (const char* text : {"a", "b", "c"}) pin(text);
    capture("recent");
    toggle_popup_from_shortcut();
    key_with_ctrl(popup, VK_DOWN);  // on a Recent tile Ctrl changes nothing: the focus goes down to the pins
    ASSERT_EQ(focused(popup), (HitTarget{HitKind::PinnedTile, 0}));
    struct Step {
        WPARAM key;
        const char* order;  // afterwards, as saved
        uint64_t focused;   // the moved pin's place
        bool refused;
    };
    const Step steps[] = {
        {VK_RIGHT, "bac", 1, false}, {VK_DOWN, "bca", 2, false}, {VK_DOWN, "bca", 2, true},
        {VK_UP, "bac", 1, false},    {VK_LEFT, "abc", 0, false}, {VK_LEFT, "abc", 0, true},
    };
    for (const Step& step : steps) {
        const uint64_t beeps = refusals_sounded();
        key_with_ctrl(popup, step.key);
        EXPECT_EQ(saved_pin_order(), step.order) << step.order;
        EXPECT_EQ(focused(popup), (HitTarget{HitKind::PinnedTile, step.focused})) << step.order;
        EXPECT_EQ(refusals_sounded(), beeps + (step.refused ? 1 : 0)) << step.order;
    }

    // The first pin's menu has Move down only; choosing it saves as the keys do.
    MenuReader reader;
    reader.read_then_choose(10);
    key(popup, VK_APPS);
    reader.thread.join();
    std::vector<std::wstring> texts;
    for (const auto& [text, state] : reader.items) texts.push_back(text);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"Move up"), 0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"Move down"), 1);
    EXPECT_EQ(saved_pin_order(), "bac");
}

TEST_F(Keyboard, ThePageKeysHomeAndEndScrollTheStripWithTheFocus) {
    for (int i = 0; i < 10; ++i) capture(("recent " + std::to_string(i)).c_str());
    for (int i = 0; i < 20; ++i) pin(("pin " + std::to_string(i)).c_str());
    SetFocus(docked);
    key(docked, VK_DOWN);  // the first move puts the focus on the first tile
    ASSERT_EQ(focused(docked), (HitTarget{HitKind::RecentTile, 0}));
    const auto scroll = [&] { return borrow_app()->docked.scroll; };
    const auto in_view = [&] {
        const ToolbarShape now = shape(docked);
        const std::optional<HitTarget> at = focused(docked);
        return at && visible_tile_rect(now.layout, area_of(at->kind), at->index) ==
                         std::optional<Rect>(tile_rect(now.layout, area_of(at->kind), at->index));
    };
    key(docked, VK_END);
    EXPECT_EQ(focused(docked), (HitTarget{HitKind::RecentTile, 9}));
    key(docked, VK_NEXT);  // the Recent tiles end there
    EXPECT_EQ(focused(docked), (HitTarget{HitKind::RecentTile, 9}));
    key(docked, VK_TAB);
    key(docked, VK_NEXT);
    const std::optional<HitTarget> paged = focused(docked);
    ASSERT_TRUE(paged && paged->kind == HitKind::PinnedTile);
    const uint64_t page = paged->index;
    EXPECT_GT(page, 1u);  // a page is several tiles of the 1080-pixel strip
    EXPECT_TRUE(in_view());
    key(docked, VK_END);
    EXPECT_EQ(focused(docked), (HitTarget{HitKind::PinnedTile, 19}));
    EXPECT_GT(scroll(), 0);
    EXPECT_TRUE(in_view());
    key(docked, VK_PRIOR);
    EXPECT_EQ(focused(docked), (HitTarget{HitKind::PinnedTile, 19 - page}));
    key(docked, VK_HOME);
    EXPECT_EQ(focused(docked), (HitTarget{HitKind::PinnedTile, 0}));
    EXPECT_TRUE(in_view());
}

TEST_F(Keyboard, PinAndUnpinFromTheMenuKeyKeepTheFocusOnTheClipInItsNewSection) {
    capture("moving clip");
    pin("a pin");
    toggle_popup_from_shortcut();
    const struct {
        UINT command;
        HitTarget then;
    } steps[] = {{1, {HitKind::PinnedTile, 1}}, {2, {HitKind::RecentTile, 0}}};  // Pin, Unpin
    for (const auto& step : steps) {
        MenuReader reader;
        reader.read_then_choose(step.command);
        key(popup, VK_APPS);
        reader.thread.join();
        EXPECT_EQ(focused(popup), step.then) << step.command;
        EXPECT_TRUE(IsWindowVisible(popup));
    }
}

TEST_F(Keyboard, DialogsOpenedFromThePopupHandTheKeyboardBackToTheWindowItCameFrom) {
    const OtherProgram other;
    ASSERT_NE(other.window, nullptr);
    SetForegroundWindow(other.window);
    ASSERT_TRUE(test::wait_until([&] { pump(); return paste_target() == other.window; }, 5s));
    pin("Dear ${name}");
    const struct {
        const char* what;
        UINT menu_command;  // none: "+ New text", the third button from Enter on the first item
        const wchar_t* dialog;
    } cases[] = {{"Rename", 3, L"KorvaneEditor"}, {"Edit text", 4, L"KorvaneEditor"},
                 {"Variables", 8, L"KorvaneWizard"}, {"+ New text", 0, L"KorvaneEditor"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        toggle_popup_from_shortcut();
        std::thread cancel([&] {
            if (HWND dialog = test::wait_for_dialog(c.dialog, 10s)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        if (c.menu_command) {
            MenuReader reader;
            reader.read_then_choose(c.menu_command);
            key(popup, VK_APPS);
            reader.thread.join();
        } else {
            key(popup, VK_TAB);  // from the pin to the buttons: Settings, Clear, "+ New text"
            key(popup, VK_END);
            ASSERT_EQ(focused(popup), (HitTarget{HitKind::NewTextButton, 0}));
            key(popup, VK_RETURN);
        }
        cancel.join();
        EXPECT_FALSE(IsWindowVisible(popup));
        EXPECT_TRUE(test::wait_until([&] { pump(); return GetForegroundWindow() == other.window; }, 5s));
    }
}

// The keyboard's tooltip of a toolbar as it is on the screen: its text, or nothing when hidden.
struct ShownTip {
    std::wstring text;
    RECT rect;
};
std::optional<ShownTip> focus_tip_of(HWND window) {
    HWND tip = nullptr;
    if (AppBorrow app = borrow_app()) tip = toolbar_for(*app, window)->focus_tip;
    if (!tip || !IsWindowVisible(tip)) return std::nullopt;
    wchar_t text[512] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.uId = 0;
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 512, LPARAM(&info));
    return ShownTip{text, window_rect(tip)};
}

TEST_F(Keyboard, TheFocusedItemsTooltipShowsBesideItAfterEachMoveAndHidesForTheMouseOrAnotherWindow) {
    capture("the older clip");
    capture("the newer clip");
    toggle_popup_from_shortcut();
    const RECT work = work_area();
    const auto beside_its_item = [&](HWND window, const ShownTip& tip) {
        const std::optional<HitTarget> at = focused(window);
        if (!at) return false;
        RECT item{};
        for (const ToolbarItem& shown : toolbar_items(shape(window).layout))
            if (shown.target == *at) item = RECT{shown.rect.left, shown.rect.top, shown.rect.right, shown.rect.bottom};
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&item), 2);
        RECT overlap{};
        return !IntersectRect(&overlap, &item, &tip.rect) && (tip.rect.left >= item.right || tip.rect.right <= item.left) &&
               tip.rect.left >= work.left && tip.rect.right <= work.right && tip.rect.top >= work.top &&
               tip.rect.bottom <= work.bottom;
    };
    struct Step {
        WPARAM key;
        const wchar_t* text;
    };
    const Step steps[] = {{VK_RIGHT, L"the older clip"}, {VK_TAB, L"Settings"}, {VK_HOME, L"Settings"},
                          {VK_TAB, L"the newer clip"}};
    for (const Step& step : steps) {
        key(popup, step.key);
        const std::optional<ShownTip> tip = focus_tip_of(popup);
        ASSERT_TRUE(tip) << from_wide(step.text);
        EXPECT_EQ(tip->text, step.text);
        EXPECT_TRUE(beside_its_item(popup, *tip)) << from_wide(step.text);
    }
    POINT pointer{};
    GetCursorPos(&pointer);
    SendMessageW(popup, WM_MOUSEMOVE, 0, 0);  // as when a window appears under a resting pointer
    EXPECT_TRUE(focus_tip_of(popup));
    SetCursorPos(pointer.x + 5, pointer.y + 5);
    SendMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // the mouse takes over
    EXPECT_FALSE(focus_tip_of(popup));
    key(popup, VK_RIGHT);
    EXPECT_TRUE(focus_tip_of(popup));
    hide_popup();
    EXPECT_FALSE(focus_tip_of(popup));

    SetFocus(docked);  // the strip at the right edge shows it on its left
    key(docked, VK_DOWN);
    const std::optional<ShownTip> tip = focus_tip_of(docked);
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->text, L"the newer clip");
    EXPECT_LE(tip->rect.right, window_rect(docked).left + 14);  // left of the tile, which is 14 pixels in
    EXPECT_TRUE(beside_its_item(docked, *tip));
    SetFocus(nullptr);
    EXPECT_FALSE(focus_tip_of(docked));
}

TEST_F(Keyboard, AltF4ClosesThePopupAsEscapeDoesAndTheStripStays) {
    capture("kept");
    SendMessageW(docked, WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 asks of the window in front
    EXPECT_TRUE(IsWindow(docked));
    EXPECT_TRUE(IsWindowVisible(docked));
    for (const wchar_t* typed : {L"", L"ke"}) {
        toggle_popup_from_shortcut();
        ASSERT_TRUE(IsWindowVisible(popup));
        type(popup, typed);
        SendMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(IsWindow(popup));
        EXPECT_FALSE(IsWindowVisible(popup)) << from_wide(typed);
    }
    toggle_popup_from_shortcut();  // the shortcut opens it again, on the same clips
    ASSERT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(shape(popup).layout.recent_count, 1u);
    EXPECT_FALSE(shape(popup).layout.searching);
}

// The filter's matching gives Windows' answers: the system's linguistic search, without case and
// accents, finds what the filter finds in the same texts.
TEST(TypeToFilterAsWindowsSearches, TheSystemsLinguisticSearchAgreesWithTheFiltersCases) {
    for (const search_cases::Case& c : search_cases::CASES) {
        const std::wstring text = to_wide(std::string_view(c.text)), typed = to_wide(std::string_view(c.typed));
        const int at = FindNLSStringEx(LOCALE_NAME_USER_DEFAULT,
                                       FIND_FROMSTART | LINGUISTIC_IGNORECASE | LINGUISTIC_IGNOREDIACRITIC |
                                           NORM_LINGUISTIC_CASING,
                                       text.c_str(), int(text.size()), typed.c_str(), int(typed.size()), nullptr,
                                       nullptr, nullptr, 0);
        EXPECT_EQ(at >= 0, c.found) << c.text << " / " << c.typed;
    }
}

// Opens the settings, puts a shortcut without the Windows key into the field and confirms.
void confirm_settings_with_shortcut(WORD field_value) {
    std::thread driver([field_value] {
        HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s);
        if (!dialog) return;
        SendMessageW(GetDlgItem(dialog, 230), HKM_SETHOTKEY, field_value, 0);
        if (SendMessageW(GetDlgItem(dialog, 231), BM_GETCHECK, 0, 0) == BST_CHECKED) test::click_button(dialog, 231);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    run_settings_dialog();
    driver.join();
}

TEST_F(Keyboard, TheSettingsChangeTheShortcutKeepItAcrossARestartAndRefuseOneAnotherProgramHolds) {
    // Korvane holds its default: nobody else can have it.
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_WIN | MOD_ALT, 'V'));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED));
    EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\n");

    confirm_settings_with_shortcut(MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\nshortcut=Ctrl+Shift+K\r\n");
    EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_WIN | MOD_ALT, 'V'));  // the old one is free again
    UnregisterHotKey(nullptr, 7);
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_SHIFT, 'K'));

    // Another program holds the one asked for: the user is told, and Ctrl+Shift+K stays.
    const OtherProgram other;
    ASSERT_TRUE(other.hold_shortcut(MOD_CONTROL | MOD_ALT, 'J'));
    {
        test::MessageBoxWatcher warnings;
        confirm_settings_with_shortcut(MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_ALT));
        ASSERT_EQ(warnings.texts().size(), 1u);
        EXPECT_EQ(warnings.texts()[0], to_wide(shortcut_taken_message({SHORTCUT_CTRL | SHORTCUT_ALT, 'J'},
                                                                      {SHORTCUT_CTRL | SHORTCUT_SHIFT, 'K'})));
    }
    EXPECT_EQ(borrow_app()->registered_shortcut, (Shortcut{SHORTCUT_CTRL | SHORTCUT_SHIFT, 'K'}));
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_SHIFT, 'K'));  // still Korvane's

    // After a restart the settings file's shortcut is the one registered.
    TearDown();
    start({});
    EXPECT_EQ(borrow_app()->registered_shortcut, (Shortcut{SHORTCUT_CTRL | SHORTCUT_SHIFT, 'K'}));
    EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_WIN | MOD_ALT, 'V'));
    UnregisterHotKey(nullptr, 7);
}

// The settings file keeps what the user chose: a shortcut another program held when Korvane
// started stays in it when the strip is placed, and a new shortcut keeps the side and the
// minimized state.
TEST_F(Keyboard, TheSettingsFileKeepsEveryChoiceWhateverChangesOne) {
    TearDown();
    const OtherProgram other;
    ASSERT_TRUE(other.hold_shortcut(MOD_CONTROL | MOD_ALT, 'J'));
    start("edge=left\r\nminimized=true\r\nshortcut=Ctrl+Alt+J\r\n");
    EXPECT_TRUE(borrow_app()->registered_shortcut.off());
    set_dock_edge(true);
    EXPECT_EQ(settings_file(appdata), "edge=right\r\nminimized=false\r\nshortcut=Ctrl+Alt+J\r\n");

    set_dock_edge(false);
    minimize_toolbar();
    confirm_settings_with_shortcut(MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    EXPECT_EQ(settings_file(appdata), "edge=left\r\nminimized=true\r\nshortcut=Ctrl+Shift+K\r\n");
}

// A shortcut another program holds when Korvane starts is not active: the icon's tooltip and the
// settings say so, and why, with no message box; once it is free, OK in the settings takes it.
TEST_F(Keyboard, AShortcutHeldAtStartUpIsSaidToBeInactiveUntilTheSettingsTakeItAgain) {
    TearDown();
    const std::wstring inactive = L"The shortcut Ctrl+Alt+J is not active: another program already uses it.";
    std::wstring note;
    {
        const OtherProgram other;
        ASSERT_TRUE(other.hold_shortcut(MOD_CONTROL | MOD_ALT, 'J'));
        test::MessageBoxWatcher warnings;
        start("edge=right\r\nminimized=false\r\nshortcut=Ctrl+Alt+J\r\n");
        EXPECT_TRUE(warnings.texts().empty());
        EXPECT_EQ(notification_tip(), L"Korvane\n" + inactive);

        std::thread reader([&] {
            HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s);
            if (!dialog) return;
            wchar_t text[256] = {};
            GetWindowTextW(GetDlgItem(dialog, 232), text, 256);
            note = text;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        run_settings_dialog();
        reader.join();
        EXPECT_EQ(note, inactive + L" Choose another, or close that program and press OK.");
        // OK while the other program still holds it changes nothing and says nothing more.
        confirm_settings_with_shortcut(MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_ALT));
        EXPECT_TRUE(warnings.texts().empty());
        EXPECT_EQ(notification_tip(), L"Korvane\n" + inactive);
    }
    confirm_settings_with_shortcut(MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_ALT));  // the other program has ended
    EXPECT_EQ(notification_tip(), L"Korvane");
    EXPECT_EQ(borrow_app()->registered_shortcut, (Shortcut{SHORTCUT_CTRL | SHORTCUT_ALT, 'J'}));
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'J'));  // Korvane's now
    note = L"unread";
    std::thread reader([&] {
        if (HWND dialog = test::wait_for_dialog(L"KorvaneSettings", 10s)) {
            note = GetDlgItem(dialog, 232) ? L"a note" : L"";
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    run_settings_dialog();
    reader.join();
    EXPECT_EQ(note, L"");
}

// The focus frame's pixels on the left of a framed item, from its outer edge inwards.
std::vector<COLORREF> frame_pixels(HWND window, const RECT& item, int count) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    HDC dc = GetDC(window);
    std::vector<COLORREF> pixels;
    const int middle = (item.top + item.bottom) / 2;
    for (int x = item.left - 3; x < item.left - 3 + count; ++x) pixels.push_back(GetPixel(dc, x, middle));
    ReleaseDC(window, dc);
    return pixels;
}

// A window of this thread's to take the keyboard from the toolbars.
struct OtherWindow {
    HWND window = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ~OtherWindow() { DestroyWindow(window); }
};

// The frame is drawn only on the window that has the keyboard, as thick as the system's focus
// border asks (twice it, 2 pixels by default at 96 dpi), and from the start when the system
// shows keyboard cues at all times.
TEST_F(Keyboard, TheFocusFrameShowsOnlyWithTheKeyboardAndFollowsTheSystemsCuesAndBorderWidth) {
    capture("framed");
    // Windows' defaults (Wine's shows keyboard cues at all times), put back at the end.
    BOOL cues = FALSE;
    UINT border = 1;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETFOCUSBORDERWIDTH, 0, &border, 0));
    ASSERT_EQ(border, 1u);
    struct Restore {
        BOOL cues;
        ~Restore() { SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(INT_PTR(cues)), 0); }
    } restore{cues};
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(FALSE), 0));
    // As the system does for a change the user makes: the setting, then WM_SETTINGCHANGE.
    const auto change = [&](UINT action, void* value) {
        ASSERT_TRUE(SystemParametersInfoW(action, 0, value, 0));
        SendMessageW(docked, WM_SETTINGCHANGE, action, 0);
    };
    const COLORREF F = palette::FOCUS_FRAME, B = palette::BACKGROUND;
    const RECT tile = to_rect(tile_rect(shape(docked).layout, Area::Recent, 0));
    // A focused tile whose frame has not been asked for by a key: no frame until the cues are on.
    if (AppBorrow app = borrow_app()) app->docked.focus = FocusTarget{HitKind::RecentTile, app->store.recent[0].id};
    SetForegroundWindow(docked);
    SetFocus(docked);
    ASSERT_EQ(GetFocus(), docked);
    EXPECT_EQ(frame_pixels(docked, tile, 3), (std::vector<COLORREF>{B, B, B}));
    change(SPI_SETKEYBOARDCUES, reinterpret_cast<void*>(TRUE));
    EXPECT_EQ(frame_pixels(docked, tile, 3), (std::vector<COLORREF>{F, F, B}));
    change(SPI_SETKEYBOARDCUES, reinterpret_cast<void*>(FALSE));
    EXPECT_EQ(frame_pixels(docked, tile, 3), (std::vector<COLORREF>{B, B, B}));

    key(docked, VK_HOME);  // the keyboard used: the frame shows, as it always has
    EXPECT_EQ(frame_pixels(docked, tile, 3), (std::vector<COLORREF>{F, F, B}));
    change(SPI_SETFOCUSBORDERWIDTH, reinterpret_cast<void*>(UINT_PTR(2)));
    const std::vector<COLORREF> thick = frame_pixels(docked, tile, 5);
    change(SPI_SETFOCUSBORDERWIDTH, reinterpret_cast<void*>(UINT_PTR(1)));
    EXPECT_EQ(std::vector<COLORREF>(thick.begin(), thick.begin() + 4), (std::vector<COLORREF>{F, F, F, F}));
    EXPECT_NE(thick[4], F);

    {
        const OtherWindow elsewhere;
        SetForegroundWindow(elsewhere.window);
        SetFocus(elsewhere.window);
        pump();
        ASSERT_NE(GetFocus(), docked);
        EXPECT_EQ(frame_pixels(docked, tile, 3), (std::vector<COLORREF>{B, B, B}));
    }
    SetForegroundWindow(docked);
    SetFocus(docked);  // the keyboard comes back, and the frame with it
    EXPECT_EQ(frame_pixels(docked, tile, 3), (std::vector<COLORREF>{F, F, B}));
}

}  // namespace
}  // namespace korvane
