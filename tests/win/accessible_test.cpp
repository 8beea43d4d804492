// The toolbars as a screen reader finds them: their accessible trees read in this process and by
// another one (tools/accessible_reader.exe), the focus events of the keyboard, the default
// action, and the names the dialogs' fields get from their labels.
// The cases share the reading of accessible objects through oleacc, which is why they are one file.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>
#include <tuple>

#include "../core/variable_builder.hpp"
#include "core/clipboard_data.hpp"
#include "core/store.hpp"
#include "win/toolbar/accessible.hpp"
#include "win/app/app.hpp"
#include "win/dialogs/editor.hpp"
#include "win/dialogs/fill.hpp"
#include "win/app/main.hpp"
#include "win/shell/popup.hpp"
#include "win/dialogs/settings_dialog.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/toolbar/toolbar_keys.hpp"
#include "win/support/wide.hpp"
#include "win/dialogs/wizard.hpp"
#include "korvane_observer.hpp"
#include "shell_fixture.hpp"
#include "win_test_support.hpp"
#include "failing_allocations.hpp"
#include "win/toolbar/toolbar_input.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using test::TempAppData;
using shell_test::pump;
using shell_test::window_rect;
using test::variable;

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
using Accessible = std::unique_ptr<IAccessible, Releaser>;

Accessible accessible_of(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
        return nullptr;
    return Accessible(object);
}

VARIANT child(LONG id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring take(BSTR text) {
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return result;
}

std::wstring name_of(IAccessible* object, LONG id) {
    BSTR name = nullptr;
    object->get_accName(child(id), &name);
    return take(name);
}

LONG role_of(IAccessible* object, LONG id) {
    VARIANT role{};
    return SUCCEEDED(object->get_accRole(child(id), &role)) && role.vt == VT_I4 ? role.lVal : -1;
}

LONG state_of(IAccessible* object, LONG id) {
    VARIANT state{};
    return SUCCEEDED(object->get_accState(child(id), &state)) && state.vt == VT_I4 ? state.lVal : -1;
}

LONG count_of(IAccessible* object) {
    LONG count = -1;
    object->get_accChildCount(&count);
    return count;
}

// A VARIANT answer as text: "empty", a child id, or "object".
std::string answer(const VARIANT& v) {
    if (v.vt == VT_EMPTY) return "empty";
    if (v.vt == VT_I4) return std::to_string(v.lVal);
    return "object";
}

std::string navigated(IAccessible* object, LONG direction, LONG from) {
    VARIANT end{};
    const HRESULT result = object->accNavigate(direction, child(from), &end);
    if (FAILED(result)) return "failed";
    std::string text = answer(end);
    VariantClear(&end);
    return text;
}

std::string hit(IAccessible* object, POINT at) {
    VARIANT found{};
    if (FAILED(object->accHitTest(at.x, at.y, &found))) return "failed";
    std::string text = answer(found);
    VariantClear(&found);
    return text;
}

RECT location_of(IAccessible* object, LONG id) {
    LONG left = 0, top = 0, width = 0, height = 0;
    object->accLocation(&left, &top, &width, &height, child(id));
    return RECT{left, top, left + width, top + height};
}

// Waits for a condition while this thread serves its windows (and the COM calls that reach them).
bool wait_pumping(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    return test::wait_until([&] {
        pump();
        return condition();
    }, limit);
}

std::optional<std::wstring> clipboard_text() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* units = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

void put_on_clipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// What tools/accessible_reader.exe printed about a window.
struct ReadChild {
    LONG id;
    LONG role;
    LONG state;
    std::wstring name;
    std::wstring value;
};
struct ReadTree {
    LONG children = -1;
    std::vector<ReadChild> items;
    std::string focus;
    std::string acted;            // the result of the reader's select or act, "0x%08lx"
    std::string selection_event;  // the selection event's child id it heard, or "none"
    std::string failure;  // the reader's "failed" line, empty when it read everything
};

std::wstring unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return to_wide(out);
}

ReadTree parse_tree(const std::string& output) {
    ReadTree tree;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("children ", 0) == 0) tree.children = std::stol(line.substr(9));
        else if (line.rfind("focus ", 0) == 0) tree.focus = line.substr(6);
        else if (line.rfind("failed ", 0) == 0) tree.failure = line;
        else if (line.rfind("selection event ", 0) == 0) tree.selection_event = line.substr(16);
        else if (line.rfind("select ", 0) == 0) tree.acted = line.substr(7);
        else if (line.rfind("act ", 0) == 0) tree.acted = line.substr(4);
        else {
            std::istringstream fields(line);
            std::string id, role, state, name, value;
            std::getline(fields, id, '\t');
            std::getline(fields, role, '\t');
            std::getline(fields, state, '\t');
            std::getline(fields, name, '\t');
            std::getline(fields, value);
            tree.items.push_back({std::stol(id), std::stol(role), LONG(std::stoul(state, nullptr, 16)), unescaped(name),
                                  unescaped(value)});
        }
    }
    return tree;
}

// Runs the reader on a window while this thread keeps serving its own windows, whose objects
// the reader's calls reach.
// `then` is what the reader does after reading: "select ID" or "act ID", or nothing.
std::optional<ReadTree> read_from_another_process(HWND window, const TempAppData& appdata,
                                                  const std::wstring& then = L"") {
    const std::wstring output = appdata.root() + L"\\tree.txt";
    DeleteFileW(output.c_str());
    const std::optional<test::Process> reader =
        test::start_program(test::program_folder() + L"\\accessible_reader.exe",
                            std::to_wstring(reinterpret_cast<uintptr_t>(window)) + L" \"" + output + L"\" " + then);
    if (!reader) return std::nullopt;
    bool ended = false;
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!ended && std::chrono::steady_clock::now() < end) {
        ended = MsgWaitForMultipleObjects(1, &reader->process, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0;
        pump();
    }
    if (!ended) {
        reader->kill();
        return std::nullopt;
    }
    const std::optional<std::vector<uint8_t>> bytes = test::read_file(output);
    if (!bytes) return std::nullopt;
    return parse_tree(std::string(bytes->begin(), bytes->end()));
}

class ScreenReaders : public shell_test::Shell {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        Shell::SetUp();
    }

    void TearDown() override {
        Shell::TearDown();
        leave_accessibility();
        CoUninitialize();
    }

    static void capture(std::string text) {
        if (AppBorrow app = borrow_app()) record_capture(app->store, ClipContent::make_text(std::move(text)));
        refresh_all_toolbars();
    }

    // The popup as the shortcut opens it, with the keyboard.
    void open_popup_from_keyboard() const {
        toggle_popup_from_shortcut();
        EXPECT_TRUE(wait_pumping([&] { return IsWindowVisible(popup) && GetFocus() == popup; }, 5s));
    }

};

constexpr LONG TILE = ROLE_SYSTEM_LISTITEM;
constexpr LONG BUTTON = ROLE_SYSTEM_PUSHBUTTON;
constexpr LONG KEYBOARD_ON_TILE = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;

TEST_F(ScreenReaders, AnotherProcessReadsThePopupsItemsAndTheFocusAnArrowKeyMovedOn) {
    {
        AppBorrow app = borrow_app();
        record_capture(app->store, ClipContent::make_text("  first text \n"));
        record_capture(app->store, ClipContent::make_files({u"C:\\docs\\report.pdf", u"C:\\docs\\b.txt", u"C:\\c.txt",
                                                            u"D:\\d.txt"}));
        record_capture(app->store, ClipContent::make_image(test::solid_dib(40, 30, 0xFF336699)));
        std::vector<VariableDefinition> asks;
        asks.push_back(variable("name", VariableKind::FreeText));
        add_pin(app->store, ClipContent::make_text("Dear ${name}"), std::string("Letter"), std::move(asks));
    }
    open_popup_from_keyboard();
    on_key_down(popup, VK_RIGHT);

    const std::optional<ReadTree> tree = read_from_another_process(popup, appdata);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->failure, "");
    EXPECT_EQ(tree->children, 7);
    ASSERT_EQ(tree->items.size(), 7u);
    const std::pair<LONG, std::wstring> expected[] = {
        {TILE, L"Picture, 40 \u00D7 30"},
        {TILE, L"report.pdf and 3 more files (some files no longer exist)"},  // opening the popup looked
        {TILE, L"first text"},
        {TILE, L"Letter"},
        {BUTTON, L"Settings"},
        {BUTTON, L"Clear the recent clips and empty the clipboard"},
        {BUTTON, L"New text"},  // as the button is labelled
    };
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(tree->items[i].id, LONG(i + 1));
        EXPECT_EQ(tree->items[i].role, expected[i].first) << i;
        EXPECT_EQ(tree->items[i].name, expected[i].second) << i;
        EXPECT_EQ(tree->items[i].state & KEYBOARD_ON_TILE, i == 1 ? KEYBOARD_ON_TILE : 0) << i;
        EXPECT_FALSE(tree->items[i].state & STATE_SYSTEM_INVISIBLE) << i;
    }
    EXPECT_EQ(tree->items[3].value, L"Dear ${name}\nAsks for: name");
    EXPECT_EQ(tree->items[1].value, L"C:\\docs\\report.pdf\nC:\\docs\\b.txt\nC:\\c.txt\nD:\\d.txt");
    EXPECT_EQ(tree->focus, "2");
    hide_popup();
}

std::wstring repeated(std::wstring_view piece, size_t n) {
    std::wstring out;
    for (size_t i = 0; i < n; ++i) out += piece;
    return out;
}

// What a reader in another process hears of the strip scrolled down: a long text by its first
// words and the rest as its value, files that have gone as gone, the Clear button under the
// header still there but off-screen; and what its selection does.
TEST_F(ScreenReaders, AnotherProcessHearsShortNamesTheFilesGoneAndTheClearButtonScrolledAway) {
    const std::wstring first_line = repeated(L"spoken ", 20);  // 140 characters
    {
        AppBorrow app = borrow_app();
        record_capture(app->store, ClipContent::make_text(from_wide(first_line + L"\nsecond line")));
        record_capture(app->store, ClipContent::make_files({u"C:\\gone\\a.txt", u"C:\\gone\\b.txt"}));
        check_missing_files(app->store.recent[0], [](const FilePath&) { return false; });
        for (int i = 0; i < 20; ++i) add_pin(app->store, ClipContent::make_text("pin " + std::to_string(i)), std::nullopt, {});
    }
    refresh_all_toolbars();
    on_mouse_wheel(docked, -120);  // one tile down: the Recent title and its Clear button go under the header

    const std::optional<ReadTree> tree = read_from_another_process(docked, appdata, L"select 2");
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->failure, "");
    ASSERT_EQ(tree->children, 26);  // 2 Recent tiles, 20 pins, 4 buttons
    ASSERT_EQ(tree->items.size(), 26u);
    const ReadChild& text = tree->items[1];
    EXPECT_EQ(text.name, first_line.substr(0, 76) + L"\u2026");  // cut at the last space before 80 characters
    EXPECT_EQ(text.value, first_line.substr(77, 63) + L"\nsecond line");
    EXPECT_EQ(tree->items[0].name, L"a.txt and 1 more file (some files no longer exist)");
    const ReadChild& clear = tree->items.back();
    EXPECT_EQ(clear.role, BUTTON);
    EXPECT_EQ(clear.name, L"Clear the recent clips and empty the clipboard");
    EXPECT_TRUE(clear.state & STATE_SYSTEM_OFFSCREEN);
    EXPECT_FALSE(tree->items[24].state & STATE_SYSTEM_OFFSCREEN);  // Minimize, in the header

    EXPECT_EQ(tree->acted, "0x00000000");
    EXPECT_EQ(tree->selection_event, "2");
    const Accessible strip = accessible_of(docked);
    ASSERT_TRUE(strip);
    VARIANT selection{};
    ASSERT_EQ(strip->get_accSelection(&selection), S_OK);
    EXPECT_EQ(answer(selection), "2");
    EXPECT_TRUE(state_of(strip.get(), 2) & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(state_of(strip.get(), 2) & STATE_SYSTEM_FOCUSED);  // the strip does not have the keyboard
    EXPECT_EQ(strip->accSelect(SELFLAG_TAKESELECTION, child(23)), E_INVALIDARG);  // a button is never selected
    EXPECT_EQ(strip->accSelect(SELFLAG_TAKEFOCUS, child(26)), E_FAIL);          // nor focused under the header
    EXPECT_EQ(strip->accSelect(SELFLAG_ADDSELECTION, child(1)), E_INVALIDARG);  // one clip at a time
}

// The hidden popup's items cannot be pasted by a reader in another process (shown, the strip's
// can: see TheDefaultActionPastesAfterTheCallReturnsAndFindsItsClipAgain).
TEST_F(ScreenReaders, AnotherProcessCannotPasteFromTheHiddenPopup) {
    capture("not while hidden");
    open_popup_from_keyboard();
    hide_popup();
    ASSERT_TRUE(wait_pumping([&] { return !IsWindowVisible(popup); }, 5s));
    const std::optional<ReadTree> tree = read_from_another_process(popup, appdata, L"act 1");
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->failure, "");
    ASSERT_EQ(tree->items.size(), 4u);
    EXPECT_TRUE(tree->items[0].state & STATE_SYSTEM_INVISIBLE);
    EXPECT_EQ(tree->acted, "0x80004005");  // E_FAIL
    wait_pumping([] { return false; }, 300ms);
    EXPECT_NE(GetClipboardOwner(), main_window);  // nothing was written to paste
}

// A name costs what its first line does: asking for it copies nothing of the rest of a 64 MiB
// text (no allocation of a megabyte succeeds meanwhile), nor, with a filter typed, searches
// the clips' texts again.
TEST_F(ScreenReaders, ANameCopiesNoMoreThanItSaysAndTheFilteredListIsNotSearchedAgain) {
    capture(std::string(size_t{64} << 20, 'n'));
    const Accessible strip = accessible_of(docked);
    ASSERT_TRUE(strip);
    BSTR name = nullptr;
    BSTR value = nullptr;
    {
        const test::FailingAllocations nothing_big(size_t{1} << 20);
        ASSERT_EQ(strip->get_accName(child(1), &name), S_OK);
        ASSERT_EQ(strip->get_accValue(child(1), &value), S_OK);
        EXPECT_EQ(nothing_big.failed(), 0u);
    }
    EXPECT_EQ(take(name), repeated(L"n", 80) + L"\u2026");
    EXPECT_EQ(take(value).size(), 1001u);

    for (int i = 0; i < 3; ++i) capture(std::string(size_t{2} << 20, char('a' + i)) + " tea");
    open_popup_from_keyboard();
    on_char(popup, L'q');  // matches nothing: the list itself has the focus
    const Accessible list = accessible_of(popup);
    ASSERT_TRUE(list);
    {
        const test::FailingAllocations nothing_big(size_t{1} << 20);
        EXPECT_EQ(count_of(list.get()), 3);  // the three buttons
        EXPECT_EQ(name_of(list.get(), CHILDID_SELF), L"Nothing here matches");
        EXPECT_EQ(nothing_big.failed(), 0u);
    }
    hide_popup();
}

// Korvane.exe itself, whose thread becomes a COM apartment only when the first reader asks.
TEST(ScreenReadersOfKorvaneExe, TheStripsTreeGainsATileWhenSomethingIsCopied) {
    TempAppData appdata;
    std::optional<test::RunningKorvane> korvane = test::RunningKorvane::start();
    ASSERT_TRUE(korvane);
    std::optional<ReadTree> tree = read_from_another_process(korvane->dock(), appdata);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->failure, "");
    ASSERT_EQ(tree->children, 4);  // the four buttons
    for (const ReadChild& item : tree->items) EXPECT_EQ(item.role, BUTTON);
    EXPECT_EQ(tree->focus, "none");  // the strip does not take the keyboard by itself

    put_on_clipboard(L"copied for the reader");
    ASSERT_TRUE(wait_pumping([&] { return korvane->wait_for_front(L"copied for the reader", 100ms); }, 10s));
    tree = read_from_another_process(korvane->dock(), appdata);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->failure, "");
    ASSERT_EQ(tree->children, 5);
    ASSERT_EQ(tree->items.size(), 5u);
    EXPECT_EQ(tree->items[0].role, TILE);
    EXPECT_EQ(tree->items[0].name, L"copied for the reader");
    EXPECT_EQ(korvane->close(), std::optional<DWORD>(0));
}

// Another program posts what a screen reader's action, the keys and the mouse would send, to make
// Korvane put a past clip back on the clipboard and type it: none of it counts.  A click of the
// user's, through the system's input, still pastes.
TEST(InjectedInput, MessagesAnotherProgramPostsPasteNothingAndTheUsersClickStillDoes) {
    TempAppData appdata;
    std::optional<test::RunningKorvane> korvane = test::RunningKorvane::start();
    ASSERT_TRUE(korvane);
    for (const wchar_t* text : {L"an older secret", L"the newest secret"}) {
        put_on_clipboard(text);
        ASSERT_TRUE(korvane->wait_for_front(text, 10s));
    }
    put_on_clipboard(L"the user's own");  // the third clip
    ASSERT_TRUE(korvane->wait_for_front(L"the user's own", 10s));
    const std::optional<std::vector<test::ToolTip>> tiles = korvane->tiles();
    ASSERT_TRUE(tiles && tiles->size() == 3);
    const RECT first = tiles->front().rect;
    const LPARAM on_first = MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2);
    const HWND strip = korvane->dock();
    const HWND popup = test::find_process_window(korvane->process().id, L"KorvaneToolbar");
    ASSERT_NE(popup, nullptr);

    struct Posted {
        const char* what;
        bool to_popup;  // opened first by a posted shortcut
        std::vector<std::tuple<UINT, WPARAM, LPARAM>> messages;
    };
    const Posted cases[] = {
        {"a reader's action for guessed clip ids", false,
         {{WM_APP + 5, 0, 1}, {WM_APP + 5, 0, 2}, {WM_APP + 5, 0, 3}, {WM_APP + 5, 1, 2}, {WM_APP + 5, 0, 0}}},
        {"digits", false, {{WM_CHAR, L'1', 0}, {WM_CHAR, L'2', 0}}},
        {"a key press and its digit", false, {{WM_KEYDOWN, L'2', 0}, {WM_CHAR, L'2', 0}}},
        {"Enter", false, {{WM_KEYDOWN, VK_RETURN, 0}}},
        {"a click", false, {{WM_LBUTTONDOWN, MK_LBUTTON, on_first}, {WM_LBUTTONUP, 0, on_first}}},
        {"Enter in the popup", true, {{WM_KEYDOWN, VK_RETURN, 0}}},
        {"a digit in the popup", true, {{WM_CHAR, L'2', 0}}},
        {"a reader's action in the popup", true, {{WM_APP + 5, 0, 2}}},
    };
    for (const Posted& posted : cases) {
        SCOPED_TRACE(posted.what);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
        if (posted.to_popup) {
            PostMessageW(korvane->main_window(), WM_HOTKEY, 1, 0);  // opening the popup pastes nothing by itself
            ASSERT_TRUE(wait_pumping([&] { return IsWindowVisible(popup) != FALSE; }, 10s));
        }
        for (const auto& [message, wparam, lparam] : posted.messages)
            PostMessageW(posted.to_popup ? popup : strip, message, wparam, lparam);
        ASSERT_TRUE(korvane->catch_up());
        EXPECT_NE(GetClipboardOwner(), korvane->main_window());
        EXPECT_EQ(clipboard_text(), std::nullopt);
        if (posted.to_popup) {
            PostMessageW(popup, WM_CLOSE, 0, 0);
            ASSERT_TRUE(wait_pumping([&] { return !IsWindowVisible(popup); }, 10s));
        }
    }
    ASSERT_TRUE(test::user_click(strip, POINT{(first.left + first.right) / 2, (first.top + first.bottom) / 2}));
    EXPECT_EQ(test::clipboard_block_owned_by(korvane->main_window(), CF_UNICODETEXT),
              encode_unicode_text("the user's own"));
    EXPECT_EQ(korvane->close(), std::optional<DWORD>(0));
}

TEST_F(ScreenReaders, TheStripsItemsHaveTheirPlaceStatesAndNeighbours) {
    {
        AppBorrow app = borrow_app();
        record_capture(app->store, ClipContent::make_text("older"));
        record_capture(app->store, ClipContent::make_text("newer"));
        for (int i = 0; i < 20; ++i) add_pin(app->store, ClipContent::make_text("pin " + std::to_string(i)), std::nullopt, {});
    }
    refresh_all_toolbars();
    const Accessible strip = accessible_of(docked);
    ASSERT_TRUE(strip);
    // 2 Recent tiles, 20 pins, then NewText, Settings, Minimize and Clear.
    ASSERT_EQ(count_of(strip.get()), 26);
    EXPECT_EQ(role_of(strip.get(), CHILDID_SELF), ROLE_SYSTEM_LIST);
    EXPECT_EQ(name_of(strip.get(), 1), L"newer");
    EXPECT_EQ(name_of(strip.get(), 22), L"pin 19");
    EXPECT_EQ(name_of(strip.get(), 24), L"Settings");

    const RECT strip_rect = window_rect(docked);
    const RECT first = location_of(strip.get(), 1);
    EXPECT_EQ(first.left, strip_rect.left + 14);
    EXPECT_EQ(first.top, strip_rect.top + 104);
    EXPECT_EQ(first.right - first.left, 48);
    EXPECT_EQ(first.bottom - first.top, 48);
    EXPECT_EQ(location_of(strip.get(), 2).top, strip_rect.top + 158);

    const LONG tile_state = state_of(strip.get(), 1);
    EXPECT_EQ(tile_state, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE);  // no keyboard, so no focus
    EXPECT_TRUE(state_of(strip.get(), 22) & STATE_SYSTEM_OFFSCREEN);  // below the screen's bottom
    EXPECT_TRUE(state_of(strip.get(), 23) & STATE_SYSTEM_UNAVAILABLE);  // "+ New text" with 20 pins
    EXPECT_FALSE(state_of(strip.get(), 24) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(state_of(strip.get(), 27), -1);  // there is no 27th item

    EXPECT_EQ(hit(strip.get(), {first.left + 24, first.top + 24}), "1");
    EXPECT_EQ(hit(strip.get(), {first.left + 24, first.bottom + 3}), "0");  // the gap between tiles
    EXPECT_EQ(hit(strip.get(), {strip_rect.left - 5, first.top}), "empty");

    EXPECT_EQ(navigated(strip.get(), NAVDIR_FIRSTCHILD, CHILDID_SELF), "1");
    EXPECT_EQ(navigated(strip.get(), NAVDIR_LASTCHILD, CHILDID_SELF), "26");
    EXPECT_EQ(navigated(strip.get(), NAVDIR_NEXT, 1), "2");
    EXPECT_EQ(navigated(strip.get(), NAVDIR_PREVIOUS, 1), "empty");
    EXPECT_EQ(navigated(strip.get(), NAVDIR_NEXT, 26), "empty");
    EXPECT_EQ(navigated(strip.get(), NAVDIR_DOWN, 2), "3");  // from the last Recent tile to the first pin
    EXPECT_EQ(navigated(strip.get(), NAVDIR_FIRSTCHILD, 1), "failed");

    IDispatch* simple = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(strip->get_accChild(child(1), &simple), S_FALSE);
    EXPECT_EQ(simple, nullptr);
    IDispatch* parent = nullptr;
    ASSERT_EQ(strip->get_accParent(&parent), S_OK);
    ASSERT_NE(parent, nullptr);
    IOleWindow* window_object = nullptr;  // the system's object of the strip's window
    EXPECT_EQ(parent->QueryInterface(__uuidof(IOleWindow), reinterpret_cast<void**>(&window_object)), S_OK);
    if (window_object) {
        HWND parent_window = nullptr;
        window_object->GetWindow(&parent_window);
        EXPECT_EQ(parent_window, docked);
        window_object->Release();
    }
    parent->Release();

    BSTR keys = nullptr;
    ASSERT_EQ(strip->get_accKeyboardShortcut(child(2), &keys), S_OK);
    EXPECT_EQ(take(keys), L"2");  // the digit key pastes the second Recent clip
    EXPECT_EQ(strip->get_accKeyboardShortcut(child(3), &keys), DISP_E_MEMBERNOTFOUND);
    BSTR section = nullptr;
    ASSERT_EQ(strip->get_accDescription(child(3), &section), S_OK);
    EXPECT_EQ(take(section), L"Pinned");
}

TEST_F(ScreenReaders, TheFocusAndTheSelectionFollowTheKeyboardFromTilesToButtons) {
    capture("one");
    capture("two");
    open_popup_from_keyboard();
    const Accessible list = accessible_of(popup);
    ASSERT_TRUE(list);
    VARIANT focus{};
    ASSERT_EQ(list->get_accFocus(&focus), S_OK);
    EXPECT_EQ(answer(focus), "1");
    on_key_down(popup, VK_RIGHT);
    EXPECT_EQ(state_of(list.get(), 1) & KEYBOARD_ON_TILE, 0);
    EXPECT_EQ(state_of(list.get(), 2) & KEYBOARD_ON_TILE, KEYBOARD_ON_TILE);
    VARIANT selection{};
    ASSERT_EQ(list->get_accSelection(&selection), S_OK);
    EXPECT_EQ(answer(selection), "2");

    on_key_down(popup, VK_TAB);  // no pins: on to the buttons
    ASSERT_EQ(list->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.vt, VT_I4);
    EXPECT_EQ(role_of(list.get(), focus.lVal), BUTTON);
    EXPECT_EQ(state_of(list.get(), focus.lVal) & KEYBOARD_ON_TILE, STATE_SYSTEM_FOCUSED);  // a button is not selected
    EXPECT_EQ(list->get_accSelection(&selection), S_FALSE);
    EXPECT_EQ(selection.vt, VT_EMPTY);

    hide_popup();
    ASSERT_TRUE(wait_pumping([&] { return GetFocus() != popup; }, 5s));
    EXPECT_EQ(list->get_accFocus(&focus), S_FALSE);
    EXPECT_EQ(focus.vt, VT_EMPTY);
    EXPECT_TRUE(state_of(list.get(), CHILDID_SELF) & STATE_SYSTEM_INVISIBLE);
}

TEST_F(ScreenReaders, AHeldObjectAnswersForTheToolbarAsItIsNowAndNeverWaits) {
    const Accessible strip = accessible_of(docked);
    ASSERT_TRUE(strip);
    ASSERT_EQ(count_of(strip.get()), 4);
    capture("arrived later");
    EXPECT_EQ(count_of(strip.get()), 5);
    EXPECT_EQ(name_of(strip.get(), 1), L"arrived later");

    LONG count = -1;
    {
        const AppBorrow busy = borrow_app();  // as while the program waits on another process
        EXPECT_EQ(strip->get_accChildCount(&count), E_PENDING);
    }
    HRESULT from_another_thread = S_OK;
    std::thread([&] { from_another_thread = strip->get_accChildCount(&count); }).join();
    EXPECT_EQ(from_another_thread, RPC_E_WRONG_THREAD);

    DestroyWindow(main_window);  // takes the strip with it
    ASSERT_FALSE(IsWindow(docked));
    EXPECT_EQ(strip->get_accChildCount(&count), RPC_E_DISCONNECTED);
    BSTR name = nullptr;
    EXPECT_EQ(strip->get_accName(child(1), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
}

TEST_F(ScreenReaders, TheDefaultActionPastesAfterTheCallReturnsAndFindsItsClipAgain) {
    capture("to be pasted");
    const Accessible strip = accessible_of(docked);
    ASSERT_TRUE(strip);
    BSTR action = nullptr;
    ASSERT_EQ(strip->get_accDefaultAction(child(1), &action), S_OK);
    EXPECT_EQ(take(action), L"Paste");

    put_on_clipboard(L"something else");
    ASSERT_EQ(strip->accDoDefaultAction(child(1)), S_OK);
    EXPECT_EQ(clipboard_text(), std::optional<std::wstring>(L"something else"));  // nothing ran inside the call
    // A copy before the posted action runs moves the tile down; the action keeps to its clip.
    capture("copied meanwhile");
    EXPECT_TRUE(wait_pumping([&] { return GetClipboardOwner() == main_window; }, 5s));
    EXPECT_EQ(clipboard_text(), std::optional<std::wstring>(L"to be pasted"));
    EXPECT_EQ(strip->accDoDefaultAction(child(CHILDID_SELF)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(strip->accDoDefaultAction(child(99)), E_INVALIDARG);
}

// The focus events a reader hooks, with the name it would speak for each.
struct FocusEvents {
    HWND window = nullptr;
    std::vector<LONG> children;
    std::vector<std::wstring> names;
};
FocusEvents* heard = nullptr;

void CALLBACK on_focus_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child_id, DWORD, DWORD) {
    if (!heard || event != EVENT_OBJECT_FOCUS || window != heard->window || object != OBJID_CLIENT) return;
    heard->children.push_back(child_id);
    IAccessible* source = nullptr;
    VARIANT which{};
    std::wstring name;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, DWORD(object), DWORD(child_id), &source, &which)) && source) {
        BSTR text = nullptr;
        source->get_accName(which, &text);
        name = take(text);
        source->Release();
    }
    heard->names.push_back(name);
}

TEST_F(ScreenReaders, EachFocusMoveIsAnnouncedWithTheItemAReaderThenNames) {
    capture("first");
    capture("second");
    capture("third");
    FocusEvents events;
    events.window = popup;
    heard = &events;
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, on_focus_event,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    open_popup_from_keyboard();
    ASSERT_TRUE(wait_pumping([&] { return !events.children.empty(); }, 5s));
    wait_pumping([] { return false; }, 300ms);  // time for a second announcement, which must not come
    // The opening announces the first tile, once; the system may also announce the window itself
    // (child 0) as it takes the keyboard.
    EXPECT_EQ(std::count(events.children.begin(), events.children.end(), 1), 1);
    EXPECT_EQ(std::count(events.children.begin(), events.children.end(), CHILDID_SELF) + 1, LONG(events.children.size()));
    on_key_down(popup, VK_RIGHT);
    on_key_down(popup, VK_RIGHT);
    on_key_down(popup, VK_HOME);
    on_key_down(popup, VK_LEFT);  // at the row's start: it stays, and nothing is said
    on_key_down(popup, VK_HOME);
    on_key_down(popup, VK_END);
    EXPECT_TRUE(wait_pumping([&] { return events.children.size() >= 4 && events.children.back() == 3; }, 5s));
    UnhookWinEvent(hook);
    heard = nullptr;
    ASSERT_EQ(events.children.size() - std::count(events.children.begin(), events.children.end(), CHILDID_SELF), 5u);
    const auto first_tile = std::find(events.children.begin(), events.children.end(), 1);
    ASSERT_NE(first_tile, events.children.end());
    EXPECT_EQ(events.names[size_t(first_tile - events.children.begin())], L"third");
    const size_t n = events.children.size();
    const std::vector<LONG> last_four(events.children.end() - 4, events.children.end());
    EXPECT_EQ(last_four, (std::vector<LONG>{2, 3, 1, 3}));  // Right, Right, Home, End
    EXPECT_EQ(events.names[n - 4], L"second");
    EXPECT_EQ(events.names[n - 3], L"first");
    EXPECT_EQ(events.names[n - 2], L"third");
    hide_popup();
}

// The events a reader hooks on the popup: value changes and focus moves, in order.
std::vector<std::pair<DWORD, LONG>>* filter_events = nullptr;
HWND filter_events_window = nullptr;

void CALLBACK on_filter_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child_id, DWORD, DWORD) {
    if (filter_events && window == filter_events_window && object == OBJID_CLIENT)
        filter_events->emplace_back(event, child_id);
}

TEST_F(ScreenReaders, TheFilterIsThePopupsValueItsMatchesItsDescriptionAndEachChangeIsHeard) {
    capture("green tea");
    capture("black tea");
    capture("coffee");
    std::vector<std::pair<DWORD, LONG>> events;
    filter_events = &events;
    filter_events_window = popup;
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, on_filter_event,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    open_popup_from_keyboard();
    const Accessible list = accessible_of(popup);
    ASSERT_TRUE(list);
    const auto value = [&] {
        BSTR text = nullptr;
        return SUCCEEDED(list->get_accValue(child(CHILDID_SELF), &text)) ? take(text) : L"<none>";
    };
    const auto description = [&] {
        BSTR text = nullptr;
        return SUCCEEDED(list->get_accDescription(child(CHILDID_SELF), &text)) ? take(text) : L"<none>";
    };
    EXPECT_EQ(value(), L"");
    wait_pumping([] { return false; }, 200ms);
    events.clear();
    struct Step {
        std::function<void()> keys;
        const wchar_t* value;
        const wchar_t* description;
        const wchar_t* name;   // of the list
        LONG focus;            // the focus event that follows the value change
    };
    const Step steps[] = {
        {[&] { on_char(popup, L't'); }, L"t", L"2 matches", L"Korvane popup", 1},
        {[&] { on_char(popup, L'e'); on_char(popup, L'a'); }, L"tea", L"2 matches", L"Korvane popup", 1},
        {[&] { on_char(popup, L'x'); }, L"teax", L"0 matches", L"Nothing here matches", CHILDID_SELF},
        {[&] { on_key_down(popup, VK_BACK); }, L"tea", L"2 matches", L"Korvane popup", 1},
        {[&] { on_char(popup, L' '); on_char(popup, L'g'); }, L"tea g", L"0 matches", L"Nothing here matches", CHILDID_SELF},
        {[&] { on_key_down(popup, VK_ESCAPE); }, L"", L"<none>", L"Korvane popup", 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(from_wide(step.value));
        events.clear();
        step.keys();
        EXPECT_EQ(value(), step.value);
        EXPECT_EQ(description(), step.description);
        EXPECT_EQ(name_of(list.get(), CHILDID_SELF), step.name);
        ASSERT_TRUE(wait_pumping([&] { return !events.empty() && events.back().first == EVENT_OBJECT_FOCUS; }, 5s));
        EXPECT_EQ(events.back().second, step.focus);
        EXPECT_EQ(events[events.size() - 2], (std::pair<DWORD, LONG>{EVENT_OBJECT_VALUECHANGE, CHILDID_SELF}));
    }
    UnhookWinEvent(hook);
    filter_events = nullptr;
    hide_popup();
}

// ---- the dialogs' fields ----

// What a reader hears for each field of a dialog: for a field without text of its own (an edit,
// the shortcut field) the label right before it, which is where Windows takes its name from,
// and the name Wine's standard object gives; for a button, its own text.
struct Field {
    std::wstring kind;
    std::wstring label;     // the text of the static control just before it, if there is one
    std::wstring name;      // get_accName of its standard object
    std::wstring own_text;
};

std::wstring class_of(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring text_of(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::vector<Field> fields_of(HWND dialog) {
    std::vector<Field> fields;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const std::wstring kind = class_of(control);
        if (_wcsicmp(kind.c_str(), L"STATIC") == 0) continue;
        Field field{kind, {}, {}, text_of(control)};
        if (HWND before = GetWindow(control, GW_HWNDPREV); before && _wcsicmp(class_of(before).c_str(), L"STATIC") == 0)
            field.label = text_of(before);
        if (const Accessible object = accessible_of(control)) field.name = name_of(object.get(), CHILDID_SELF);
        fields.push_back(field);
    }
    return fields;
}

// Buttons and links are named by what they say themselves.
bool has_own_text(const std::wstring& kind) {
    return _wcsicmp(kind.c_str(), L"BUTTON") == 0 || _wcsicmp(kind.c_str(), L"SysLink") == 0;
}

// Reads the fields of the dialog of a class once it is open, from a second thread, then cancels it.
class FieldReader {
public:
    explicit FieldReader(const wchar_t* window_class)
        : thread_([this, window_class] {
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
              if (HWND dialog = test::wait_for_dialog(window_class, 10s)) {
                  fields_ = fields_of(dialog);
                  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
              }
              CoUninitialize();
          }) {}
    std::vector<Field> finish() {
        thread_.join();
        return fields_;
    }

private:
    std::vector<Field> fields_;
    std::thread thread_;
};

// Every field can be named: a button by its text, any other field by the label before it.
void expect_every_field_named(const std::vector<Field>& fields, const char* dialog) {
    EXPECT_FALSE(fields.empty()) << dialog;
    for (const Field& field : fields) {
        const std::string what = std::string(dialog) + ": " + from_wide(field.kind) + " " + from_wide(field.own_text);
        if (has_own_text(field.kind)) {
            EXPECT_FALSE(field.own_text.empty()) << what;
            // A link control answers for itself and its links; a button's name is its text.
            if (_wcsicmp(field.kind.c_str(), L"BUTTON") == 0) EXPECT_EQ(field.name, field.own_text) << what;
        } else {
            EXPECT_FALSE(field.label.empty()) << what << " has no label right before it";
            // Wine's standard objects take an edit's name from its label, as Windows does; for the
            // other fields they give only the window text (see the report in the README).
            if (_wcsicmp(field.kind.c_str(), L"EDIT") == 0) EXPECT_EQ(field.name, field.label) << what;
        }
    }
}

TEST(DialogFields, EveryFieldOfTheFourDialogsHasANameAReaderCanSay) {
    MSG leftover{};  // a quit left by a test that closed a main window would end the dialogs at once
    PeekMessageW(&leftover, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    std::vector<VariableDefinition> definitions;
    definitions.push_back(variable("Note", VariableKind::FreeText));
    definitions.push_back(variable("Count", VariableKind::Number));
    definitions.push_back(variable("Size", VariableKind::SingleChoice, {"S", "M"}));
    definitions.push_back(variable("Extras", VariableKind::MultipleChoice, {"Ice", "Lemon"}));
    {
        FieldReader reader(L"KorvaneFill");
        fill_in("Fill in: Order", definitions);
        const std::vector<Field> fields = reader.finish();
        expect_every_field_named(fields, "fill-in");
        size_t edits = 0;
        for (const Field& field : fields) edits += _wcsicmp(field.kind.c_str(), L"EDIT") == 0;
        EXPECT_EQ(edits, 2u);
    }
    {
        FieldReader reader(L"KorvaneWizard");
        run_variables_wizard({variable("Size", VariableKind::SingleChoice, {"S", "M"})}, 0);
        expect_every_field_named(reader.finish(), "wizard");
    }
    {
        FieldReader reader(L"KorvaneEditor");
        run_text_editor("Edit text", "Greeting", std::string_view("Hello"), false);
        const std::vector<Field> fields = reader.finish();
        expect_every_field_named(fields, "editor");
        ASSERT_GE(fields.size(), 2u);
        EXPECT_EQ(fields[0].name, L"Name (shown when you hover over the icon):");
        EXPECT_EQ(fields[1].name, L"Text to paste:");
    }
    {
        TempAppData appdata;
        start_shell(GetModuleHandleW(nullptr), {});
        HWND main_window = nullptr;
        if (AppBorrow app = borrow_app()) main_window = app->main_window;
        FieldReader reader(L"KorvaneSettings");
        run_settings_dialog();
        const std::vector<Field> fields = reader.finish();
        expect_every_field_named(fields, "settings");
        bool shortcut_field = false, programs_field = false;
        for (const Field& field : fields) {
            if (field.kind == L"msctls_hotkey32") {
                shortcut_field = true;
                EXPECT_EQ(field.label, L"Keyboard shortcut that opens the popup:");
            }
            if (field.label == L"Ignore copies from these programs (one file name a line):") programs_field = true;
        }
        EXPECT_TRUE(shortcut_field);
        EXPECT_TRUE(programs_field);
        DestroyWindow(main_window);
        pump();
        take_app();
    }
    CoUninitialize();
}

}  // namespace
}  // namespace korvane
