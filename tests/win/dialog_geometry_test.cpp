// Where each of the four dialogs opens and what its controls are: their places at the system
// DPI, the group and tab-stop styles the keyboard depends on, the dialog font on every control.
// Run at 96 dpi with the other Windows tests and again at 144 dpi in a prefix of its own.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <cstdlib>
#include <string>
#include <vector>

#include "core/fill_layout.hpp"
#include "dialog_driver.hpp"
#include "win/app/app.hpp"
#include "win/dialogs/editor.hpp"
#include "win/dialogs/fill.hpp"
#include "win/app/main.hpp"
#include "win/dialogs/settings_dialog.hpp"
#include "win/dialogs/wizard.hpp"
#include "win/support/wide.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using test::Driver;
using test::variable;

int px(int dips) { return scale(dips, GetDpiForSystem()); }

// A control as the dialog's Part gives it: class, text (nullptr: not compared), place in
// pixels, the styles the keyboard and the look depend on, and id.
struct Expected {
    const wchar_t* window_class;
    const wchar_t* text;
    Rect place;
    DWORD styles;
    int id;
};

Rect dips(int x, int y, int width, int height) { return box(px(x), px(y), px(width), px(height)); }

// The style bits compared for each class: the groups and tab stops, and what changes how the
// control shows its text or takes keys.
DWORD compared_styles(const std::wstring& window_class) {
    if (_wcsicmp(window_class.c_str(), L"Static") == 0) return WS_GROUP | WS_TABSTOP | SS_NOPREFIX;
    if (_wcsicmp(window_class.c_str(), L"Button") == 0) return WS_GROUP | WS_TABSTOP | BS_TYPEMASK;
    return WS_GROUP | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_AUTOHSCROLL;
}

std::string describe(size_t index, const Expected& e) {
    return "control " + std::to_string(index + 1) + " (id " + std::to_string(e.id) + ")";
}

void expect_controls(Driver& d, const std::vector<Expected>& expected) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(d.dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    if (!d.expect(children.size() == expected.size(),
                  "the number of controls: " + std::to_string(children.size()) + " made, " +
                      std::to_string(expected.size()) + " expected"))
        return;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        HWND child = children[i];
        const std::wstring window_class = test::class_of(child);
        const RECT r = test::rect_in(child, d.dialog());
        d.expect(_wcsicmp(window_class.c_str(), e.window_class) == 0, describe(i, e) + ": class");
        d.expect(!e.text || test::text_of(child) == e.text, describe(i, e) + ": text");
        d.expect((Rect{r.left, r.top, r.right, r.bottom}) == e.place,
                 describe(i, e) + ": place " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                     std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        const DWORD mask = compared_styles(window_class);
        d.expect((test::style_of(child) & mask) == (e.styles & mask), describe(i, e) + ": styles");
        d.expect(GetDlgCtrlID(child) == (e.id == -1 ? 0xFFFF : e.id), describe(i, e) + ": id");
    }
}

void expect_client_size(Driver& d, int width, int height) {
    RECT client{};
    GetClientRect(d.dialog(), &client);
    d.expect(client.right == width && client.bottom == height,
             "client size " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
}

// Every control in the system's message font, the one font of the dialog.
void expect_dialog_font(Driver& d) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = nullptr;
    for (HWND child : test::descendants(d.dialog())) {
        const std::wstring window_class = test::class_of(child);
        if (_wcsicmp(window_class.c_str(), L"Static") && _wcsicmp(window_class.c_str(), L"Button") &&
            _wcsicmp(window_class.c_str(), L"Edit"))
            continue;
        auto own = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        if (!font) font = own;
        d.expect(own && own == font, "the dialog font on every control");
    }
    LOGFONTW used{};
    d.expect(font && GetObjectW(font, sizeof used, &used) == sizeof used, "the dialog font exists");
    const LOGFONTW& wanted = metrics.lfMessageFont;
    d.expect(used.lfHeight == wanted.lfHeight && used.lfWeight == wanted.lfWeight &&
                 used.lfItalic == wanted.lfItalic && std::wstring(used.lfFaceName) == wanted.lfFaceName,
             "the dialog font is the message font");
}

// On the monitor under the pointer: inside its work area, its middle at the work area's middle
// (to the pixel an odd size leaves over), its caption showing.
void expect_centred(Driver& d) {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &info);
    const RECT& work = info.rcWork;
    const RECT window = test::screen_rect(d.dialog());
    const auto off_middle = [](LONG low, LONG high, LONG work_low, LONG work_high) {
        return std::abs((low + high) - (work_low + work_high));
    };
    d.expect(window.left >= work.left && window.right <= work.right && window.top >= work.top &&
                 window.bottom <= work.bottom,
             "inside the pointer's work area");
    d.expect(off_middle(window.left, window.right, work.left, work.right) <= 1 &&
                 off_middle(window.top, window.bottom, work.top, work.bottom) <= 1,
             "centred on the pointer's monitor");
}

// Every label, button and check box shows its whole text in its own font: wrapped at the
// control's width (less a check box's box), the text is no taller than the control.
void expect_texts_fit(Driver& d) {
    for (HWND child : test::descendants(d.dialog())) {
        const std::wstring window_class = test::class_of(child);
        const bool button = _wcsicmp(window_class.c_str(), L"Button") == 0;
        if (!button && _wcsicmp(window_class.c_str(), L"Static") != 0) continue;
        const std::wstring text = test::text_of(child);
        if (text.empty()) continue;
        RECT client{};
        GetClientRect(child, &client);
        const DWORD type = test::style_of(child) & BS_TYPEMASK;
        const bool boxed = button && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
        RECT needed{0, 0, client.right - (boxed ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0), 0};
        HDC dc = GetDC(child);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        const UINT prefix = !button && (test::style_of(child) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        DrawTextW(dc, text.c_str(), int(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK | prefix);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        d.expect(needed.bottom <= client.bottom,
                 "the text fits its control: " + from_wide(text) + " needs " + std::to_string(needed.bottom) +
                     " of " + std::to_string(client.bottom) + " pixels");
    }
}

// The pointer somewhere off the screen's centre when the dialog opens.
void point_at(int x, int y) { SetCursorPos(x, y); }

// The run at another DPI says which in KORVANE_TEST_DPI; without it the prefix is at 96.
TEST(DialogGeometry, RunsAtTheSystemDpiOfItsPrefix) {
    const char* wanted = std::getenv("KORVANE_TEST_DPI");
    EXPECT_EQ(GetDpiForSystem(), wanted ? UINT(std::atoi(wanted)) : 96u);
}

TEST(DialogGeometry, TheFillInsControlsSitWhereItsLayoutPutsThem) {
    const std::vector<VariableDefinition> definitions{
        variable("Who", VariableKind::FreeText, {}, {"Ann"}),
        variable("Size", VariableKind::SingleChoice, {"S", "M", "L"}, {"M"}),
        variable("Count", VariableKind::Number),
        variable("Extras", VariableKind::MultipleChoice, {"a", "b", "c", "d", "e", "f", "g"}, {"b"}),
    };
    point_at(1500, 300);
    Driver driver(L"KorvaneFill", [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, int(GetDpiForSystem()));
        expect_client_size(d, layout.client_width, layout.client_height);
        const auto& rows = layout.rows;
        constexpr DWORD LABEL = WS_GROUP | SS_NOPREFIX;
        constexpr DWORD EDIT = WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
        const int first = FIRST_FILL_INPUT_ID;
        std::vector<Expected> expected{
            {L"Static", L"Who:", rows[0].label, LABEL, -1},
            {L"Edit", L"Ann", rows[0].inputs[0], EDIT, first},
            {L"Static", L"Size:", rows[1].label, LABEL, -1},
            {L"Button", L"S", rows[1].inputs[0], BS_AUTORADIOBUTTON | WS_GROUP, first + 1},
            {L"Button", L"M", rows[1].inputs[1], BS_AUTORADIOBUTTON | WS_TABSTOP, first + 2},
            {L"Button", L"L", rows[1].inputs[2], BS_AUTORADIOBUTTON, first + 3},
            {L"Static", L"Count (number):", rows[2].label, LABEL, -1},
            {L"Edit", L"", rows[2].inputs[0], EDIT, first + 4},
            {L"Static", L"Extras:", rows[3].label, LABEL, -1},
        };
        for (size_t j = 0; j < 7; ++j)
            expected.push_back({L"Button", nullptr, rows[3].inputs[j],
                                DWORD(BS_AUTOCHECKBOX | WS_TABSTOP | (j == 0 ? WS_GROUP : 0)), first + 5 + int(j)});
        expected.push_back({L"Static", L"", layout.message, LABEL, -1});
        expected.push_back({L"Button", L"Paste", layout.paste, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, IDOK});
        expected.push_back({L"Button", L"Cancel", layout.cancel, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL});
        expect_controls(d, expected);
        expect_dialog_font(d);
        expect_texts_fit(d);
        expect_centred(d);
        d.press(VK_ESCAPE);
    });
    EXPECT_EQ(fill_in("Fill in: Order", definitions), std::nullopt);
    EXPECT_EQ(driver.finish(), "");
}

TEST(DialogGeometry, TheWizardIs420By344DipsWithItsControlsInPlace) {
    point_at(300, 700);
    Driver driver(L"KorvaneWizard", [&](Driver& d) {
        expect_client_size(d, px(420), px(344));
        constexpr DWORD RADIO = BS_AUTORADIOBUTTON;
        expect_controls(
            d, {
                   {L"Static", L"Value 1 of 2:  ${Size}", dips(12, 12, 396, 20), WS_GROUP | SS_NOPREFIX, -1},
                   {L"Static", L"What kind of value is it?", dips(12, 38, 396, 20), 0, -1},
                   {L"Button", L"Free text", dips(20, 58, 388, 22), RADIO | WS_GROUP, 200},
                   {L"Button", L"Number", dips(20, 80, 388, 22), RADIO, 201},
                   // A radio button is a tab stop while it is the checked one.
                   {L"Button", L"Single choice (radio buttons)", dips(20, 102, 388, 22), RADIO | WS_TABSTOP, 202},
                   {L"Button", L"Multiple choice (check boxes)", dips(20, 124, 388, 22), RADIO, 203},
                   {L"Button", L"Secret (hidden, never remembered)", dips(20, 146, 388, 22), RADIO, 204},
                   {L"Static", L"Options, one per line (for single and multiple choice):", dips(12, 168, 396, 20),
                    WS_GROUP, -1},
                   {L"Edit", L"S\r\nM", dips(12, 188, 396, 88),
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_GROUP | WS_TABSTOP, 210},
                   {L"Static", L"", dips(12, 280, 396, 20), 0, -1},
                   {L"Button", L"< Back", dips(140, 306, 84, 26), BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 300},
                   {L"Button", L"Next >", dips(232, 306, 84, 26), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK},
                   {L"Button", L"Cancel", dips(324, 306, 84, 26), BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL},
               });
        expect_dialog_font(d);
        expect_texts_fit(d);
        expect_centred(d);
        d.press(VK_ESCAPE);
    });
    EXPECT_EQ(run_variables_wizard({variable("Size", VariableKind::SingleChoice, {"S", "M"}),
                                    variable("Note", VariableKind::FreeText)},
                                   0),
              std::nullopt);
    EXPECT_EQ(driver.finish(), "");
}

std::vector<Expected> editor_controls(bool with_text, const wchar_t* name, const wchar_t* text) {
    const int buttons = with_text ? 294 : 66;
    std::vector<Expected> expected{
        {L"Static", L"Name (shown when you hover over the icon):", dips(12, 12, 416, 18), WS_GROUP, -1},
        {L"Edit", name, dips(12, 30, 416, 24), WS_TABSTOP | ES_AUTOHSCROLL, 100},
    };
    if (with_text) {
        expected.push_back({L"Static", L"Text to paste:", dips(12, 66, 416, 18), 0, -1});
        expected.push_back({L"Edit", text, dips(12, 84, 416, 180),
                            WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 101});
        expected.push_back(
            {L"Static", L"Use ${name} for a value to fill in each time you paste.", dips(12, 268, 416, 18), 0, -1});
    }
    expected.push_back({L"Button", L"OK", dips(252, buttons, 84, 26), BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, IDOK});
    expected.push_back({L"Button", L"Cancel", dips(344, buttons, 84, 26), BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL});
    return expected;
}

TEST(DialogGeometry, TheEditorIs440DipsWideInBothItsLayouts) {
    point_at(1700, 900);
    Driver with_text(L"KorvaneEditor", [&](Driver& d) {
        expect_client_size(d, px(440), px(332));
        expect_controls(d, editor_controls(true, L"Greeting", L"Dear ${who}\r\nregards"));
        expect_dialog_font(d);
        expect_texts_fit(d);
        expect_centred(d);
        d.press(VK_ESCAPE);
    });
    EXPECT_EQ(run_text_editor("Edit text", "Greeting", std::string_view("Dear ${who}\nregards"), true), std::nullopt);
    EXPECT_EQ(with_text.finish(), "");

    Driver name_only(L"KorvaneEditor", [&](Driver& d) {
        expect_client_size(d, px(440), px(104));
        expect_controls(d, editor_controls(false, L"Cat", nullptr));
        expect_dialog_font(d);
        expect_texts_fit(d);
        expect_centred(d);
        d.press(VK_ESCAPE);
    });
    EXPECT_EQ(run_text_editor("Rename", "Cat", std::nullopt, false), std::nullopt);
    EXPECT_EQ(name_only.finish(), "");
}

// The settings dialog needs the running shell: the toolbars whose placement it shows.
class SettingsDialogGeometry : public testing::Test {
protected:
    void SetUp() override {
        start_shell(GetModuleHandleW(nullptr), {});
        main_window = borrow_app()->main_window;
    }
    void TearDown() override {
        if (IsWindow(main_window)) DestroyWindow(main_window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) DispatchMessageW(&message);
        take_app();
    }

    test::TempAppData appdata;
    HWND main_window = nullptr;
};

// The placement and sign-in rows keep the places they have always had; the shortcut's label,
// field and Windows-key box come after them, then the ignored programs' label and field, and
// the credit line and buttons 150 DIPs lower.
TEST_F(SettingsDialogGeometry, TheSettingsAre400By394DipsWithTheirControlsInPlace) {
    point_at(200, 200);
    Driver driver(L"KorvaneSettings", [&](Driver& d) {
        expect_client_size(d, px(400), px(394));
        constexpr DWORD RADIO = BS_AUTORADIOBUTTON;
        expect_controls(
            d, {
                   {L"Static", L"Where the toolbar goes:", dips(12, 12, 376, 20), WS_GROUP, -1},
                   {L"Button", L"Docked on the right edge of the screen", dips(20, 34, 368, 24),
                    RADIO | WS_GROUP | WS_TABSTOP, 200},
                   {L"Button", L"Docked on the left edge of the screen", dips(20, 58, 368, 24), RADIO, 201},
                   {L"Button", L"Minimized to the notification area icon", dips(20, 82, 368, 24), RADIO, 202},
                   {L"Button", L"Start Korvane when I sign in to Windows", dips(12, 118, 376, 24),
                    BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 210},
                   {L"Static", L"Keyboard shortcut that opens the popup:", dips(12, 154, 376, 20), WS_GROUP, -1},
                   {L"msctls_hotkey32", nullptr, dips(20, 176, 200, 24), WS_TABSTOP, 230},
                   {L"Button", L"with the Windows key", dips(228, 176, 160, 24), BS_AUTOCHECKBOX | WS_TABSTOP, 231},
                   {L"Static", L"Ignore copies from these programs (one file name a line):", dips(12, 210, 376, 20),
                    WS_GROUP, -1},
                   {L"Edit", nullptr, dips(20, 232, 368, 60),
                    WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 240},
                   {L"SysLink", nullptr, dips(12, 304, 376, 40), WS_GROUP | WS_TABSTOP, 220},
                   {L"Button", L"OK", dips(212, 356, 84, 26), BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, IDOK},
                   {L"Button", L"Cancel", dips(304, 356, 84, 26), BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL},
               });
        expect_dialog_font(d);
        expect_texts_fit(d);
        expect_centred(d);
        d.press(VK_ESCAPE);
    });
    run_settings_dialog();
    EXPECT_EQ(driver.finish(), "");
}

TEST_F(SettingsDialogGeometry, EnterOnAFocusedCancelChangesNothing) {
    Driver driver(L"KorvaneSettings", [&](Driver& d) {
        if (!d.wait_focus(d.item(200), "the checked placement")) return;
        d.press(VK_DOWN);
        if (!d.wait([&] { return test::is_checked(d.item(201)); }, "the left edge chosen")) return;
        // Backwards to OK: Wine's link control keeps Tab once it has the focus, so the way
        // forward past the credit line's links cannot be walked here.
        d.press_with(VK_SHIFT, VK_TAB);
        d.press_with(VK_SHIFT, VK_TAB);
        if (!d.wait_focus(d.item(IDOK), "OK")) return;
        d.press(VK_RIGHT);
        if (!d.wait_focus(d.item(IDCANCEL), "Cancel, by the arrow")) return;
        d.press(VK_RETURN);
    });
    run_settings_dialog();
    EXPECT_EQ(driver.finish(), "");
    EXPECT_TRUE(borrow_app()->settings.dock_right);
}

}  // namespace
}  // namespace korvane
