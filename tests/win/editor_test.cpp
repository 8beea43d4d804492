// The text icon editor driven as a user would, and what all three dialogs share: fields that
// take a hundred thousand characters, and the quit that ends an open dialog.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/editor_layout.hpp"
#include "dialog_cases.hpp"
#include "win/dialogs/editor.hpp"
#include "win/dialogs/fill.hpp"
#include "win/dialogs/wizard.hpp"

namespace korvane {
namespace {

using namespace dialog_test;
using test::variable;

TEST(TextEditor, EditTextStartsInTheSelectedTextAndReturnsCrLfLines) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        HWND text = d.item(TEXT_ID);
        RECT client{};
        GetClientRect(d.dialog(), &client);
        d.expect(client.bottom == layout_text_editor(true, dpi()).client_height, "the taller layout");
        if (!d.wait_focus(text, "the text field")) return;
        d.expect(test::text_of(text) == L"one\r\ntwo", "a lone LF shown as a line break");
        d.expect(test::all_selected(text), "the text selected");
        d.press(VK_END);
        d.type(L"\nthree");  // Enter breaks the line here instead of confirming
        if (!d.wait_text(text, L"one\r\ntwo\r\nthree", "the typed line")) return;
        d.pause_for_observer();
        d.click(d.item(IDOK));
    });
    const auto result = run_text_editor("Edit text", " Greeting ", std::string_view("one\ntwo"), true);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->name, "Greeting");
    EXPECT_EQ(result->text, "one\r\ntwo\r\nthree");
}

TEST(TextEditor, RenameWithThreeSpacesGivesNoNameAndNoText) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        HWND name = d.item(NAME_ID);
        RECT client{};
        GetClientRect(d.dialog(), &client);
        d.expect(client.bottom == layout_text_editor(false, dpi()).client_height, "the short layout");
        d.expect(d.item(TEXT_ID) == nullptr, "no text field");
        if (!d.wait_focus(name, "the name field")) return;
        d.expect(test::all_selected(name), "the name selected");
        d.type(L"   \n");  // replaces the selected name, then Enter confirms
    });
    const auto result = run_text_editor("Rename", "Cat picture", std::nullopt, false);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->name, std::nullopt);
    EXPECT_EQ(result->text, std::nullopt);
}

TEST(TextEditor, ANewTextStartsInTheNameAndTabReachesTheText) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        if (!d.wait_focus(d.item(NAME_ID), "the name field")) return;
        d.type(L"Hi");
        d.press(VK_TAB);
        if (!d.wait_focus(d.item(TEXT_ID), "the text field")) return;
        d.type(L"Dear ${who}");
        if (!d.wait_text(d.item(TEXT_ID), L"Dear ${who}", "the typed text")) return;
        d.press(VK_TAB);
        if (!d.wait_focus(d.item(IDOK), "OK")) return;
        d.press(VK_RETURN);
    });
    const auto result = run_text_editor("New text icon", "", std::string_view(""), false);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->name, "Hi");
    EXPECT_EQ(result->text, "Dear ${who}");
}

TEST(TextEditor, TheArrowKeysMoveOnlyBetweenOkAndCancelAndEnterPressesTheFocusedOne) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        if (!d.wait_focus(d.item(NAME_ID), "the name field")) return;
        d.type(L"changed");
        d.press_with(VK_SHIFT, VK_TAB);
        if (!d.wait_focus(d.item(IDCANCEL), "Cancel, backwards from the name")) return;
        d.press(VK_DOWN);
        if (!d.wait_focus(d.item(IDOK), "OK, wrapping round the buttons")) return;
        d.press(VK_RIGHT);
        if (!d.wait_focus(d.item(IDCANCEL), "Cancel again")) return;
        if (!d.wait([&] { return test::looks_default(d.item(IDCANCEL)); }, "Cancel looking like the default")) return;
        d.expect(!test::looks_default(d.item(IDOK)), "OK no longer looks like the default");
        d.press(VK_RETURN);
    });
    EXPECT_EQ(run_text_editor("Rename", "Cat", std::nullopt, false), std::nullopt);
    EXPECT_EQ(driver.finish(), "");
}

TEST(TextEditor, EscapeTheCloseBoxAndCancelReturnNothingAtEveryOpening) {
    for (Dismissal how : ALL_DISMISSALS) {
        Driver driver(EDITOR_CLASS, [&](Driver& d) {
            if (d.wait_focus(d.item(TEXT_ID), "the text field")) dismiss(d, how);
        });
        EXPECT_EQ(run_text_editor("Edit text", "n", std::string_view("t"), true), std::nullopt) << int(how);
        EXPECT_EQ(driver.finish(), "") << int(how);
    }
}

// ---- long texts: every field takes what a clip can hold ----

constexpr size_t LONG_TEXT = 100'000;

bool length_is(HWND edit, size_t length) { return size_t(GetWindowTextLengthW(edit)) == length; }

TEST(LongText, AHundredThousandCharactersPastedIntoANewTextComeBackWhole) {
    const std::wstring text = long_lines(LONG_TEXT);
    ASSERT_TRUE(put_on_clipboard(text));
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        HWND field = d.item(TEXT_ID);
        if (!d.wait_focus(d.item(NAME_ID), "the name")) return;
        d.press(VK_TAB);
        if (!d.wait_focus(field, "the text field")) return;
        d.press_with(VK_CONTROL, 'V');
        if (!d.wait([&] { return length_is(field, text.size()); }, "the whole text pasted")) return;
        d.click(d.item(IDOK));
    });
    const auto result = run_text_editor("New text icon", "", std::string_view(""), false);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result && result->text);
    EXPECT_EQ(*result->text, narrow(text));
}

TEST(LongText, EditTextOfAHundredThousandCharactersStillTakesTyping) {
    const std::string text = narrow(long_lines(LONG_TEXT));
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        HWND field = d.item(TEXT_ID);
        if (!d.wait_focus(field, "the text field")) return;
        d.expect(length_is(field, text.size()), "the whole clip shown");
        d.press_with(VK_CONTROL, VK_END);
        d.type(L"!");
        if (!d.wait([&] { return length_is(field, text.size() + 1); }, "the typed character")) return;
        d.click(d.item(IDOK));
    });
    const auto result = run_text_editor("Edit text", "long", std::string_view(text), true);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result && result->text);
    EXPECT_EQ(*result->text, text + "!");
}

TEST(LongText, TheFillInAndTheWizardTakeAHundredThousandCharacters) {
    const std::wstring line = long_line(LONG_TEXT);
    ASSERT_TRUE(put_on_clipboard(line));
    const std::vector<VariableDefinition> definitions{variable("Body", VariableKind::FreeText)};
    Driver fill_driver(FILL_CLASS, [&](Driver& d) {
        HWND body = row_input(d, layout_fill_in(definitions, dpi()), 0);
        if (!d.wait_focus(body, "the edit")) return;
        d.press_with(VK_CONTROL, 'V');
        if (!d.wait([&] { return length_is(body, line.size()); }, "the whole text pasted")) return;
        d.press(VK_RETURN);
    });
    EXPECT_EQ(fill_in("Fill in", definitions), (std::vector<ValueList>{{narrow(line)}}));
    EXPECT_EQ(fill_driver.finish(), "");

    const std::wstring list = long_lines(LONG_TEXT);
    ASSERT_TRUE(put_on_clipboard(list));
    Driver wizard_driver(WIZARD_CLASS, [&](Driver& d) {
        HWND options = d.item(OPTIONS_ID);
        if (!d.wait_focus(d.item(KIND_ID), "the kind")) return;
        d.click(d.item(KIND_ID + 2));
        if (!d.wait([&] { return IsWindowEnabled(options) != FALSE; }, "the options enabled")) return;
        d.click(options);
        if (!d.wait_focus(options, "the options")) return;
        d.press_with(VK_CONTROL, 'V');
        if (!d.wait([&] { return length_is(options, list.size()); }, "the whole list pasted")) return;
        d.click(d.item(IDOK));
    });
    const auto result = run_variables_wizard({variable("Pick", VariableKind::FreeText)}, 0);
    EXPECT_EQ(wizard_driver.finish(), "");
    ASSERT_TRUE(result);
    ASSERT_FALSE(result->at(0).options.empty());
    EXPECT_EQ(result->at(0).options.front(), "line 0");
    EXPECT_EQ(result->at(0).options.back(), "the last line");
}

// ---- the shared modal loop ----

// Waits in an ordinary message loop, as the application's would, for the quit.
std::optional<WPARAM> quit_reaching_main_loop() {
    const DWORD end = GetTickCount() + 3000;
    MSG message{};
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return message.wParam;
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return std::nullopt;
}

TEST(ModalLoop, AQuitEndsEachOpenDialogAndIsPostedAgainForTheMainLoop) {
    const DWORD ui = GetCurrentThreadId();
    const std::pair<const wchar_t*, std::function<bool()>> dialogs[] = {
        {FILL_CLASS, [] { return fill_in("Fill in", {variable("a", VariableKind::FreeText)}).has_value(); }},
        {WIZARD_CLASS, [] { return run_variables_wizard({variable("a", VariableKind::FreeText)}, 0).has_value(); }},
        {EDITOR_CLASS, [] { return run_text_editor("Rename", "a", std::nullopt, false).has_value(); }},
    };
    WPARAM code = 40;
    for (const auto& [window_class, open] : dialogs) {
        ++code;
        Driver driver(window_class, [&](Driver&) { PostThreadMessageW(ui, WM_QUIT, code, 0); });
        EXPECT_FALSE(open()) << code;
        EXPECT_EQ(driver.finish(), "") << code;
        EXPECT_EQ(quit_reaching_main_loop(), std::optional<WPARAM>(code));
    }
}

}  // namespace
}  // namespace korvane
