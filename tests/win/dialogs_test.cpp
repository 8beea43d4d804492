// The fill-in, the variables wizard and the text icon editor driven as a user would: keys and
// clicks from a second thread while the test thread runs the dialog's own loop.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/editor_rules.hpp"
#include "core/fill_layout.hpp"
#include "dialog_driver.hpp"
#include "win/editor.hpp"
#include "win/fill.hpp"
#include "win/wizard.hpp"

namespace korvane {
namespace {

using test::Driver;
using test::variable;

constexpr wchar_t FILL_CLASS[] = L"KorvaneFill";
constexpr wchar_t WIZARD_CLASS[] = L"KorvaneWizard";
constexpr wchar_t EDITOR_CLASS[] = L"KorvaneEditor";

int dpi() { return int(GetDpiForSystem()); }

bool same_class(HWND window, const wchar_t* name) { return _wcsicmp(test::class_of(window).c_str(), name) == 0; }

// The fill-in's controls found by the place their layout gives them in the window that holds
// the rows, whatever their ids.
HWND placed(const Driver& d, const Rect& place, const wchar_t* window_class) {
    for (HWND child : test::descendants(d.dialog())) {
        if (!same_class(child, window_class)) continue;
        const RECT r = test::rect_in(child, GetParent(child));
        if ((Rect{r.left, r.top, r.right, r.bottom}) == place) return child;
    }
    return nullptr;
}

HWND row_input(const Driver& d, const FillLayout& layout, size_t row, size_t input = 0) {
    const Rect& place = layout.rows[row].inputs[input];
    if (HWND edit = placed(d, place, L"Edit")) return edit;
    return placed(d, place, L"Button");
}

HWND row_label(const Driver& d, const FillLayout& layout, size_t row) { return placed(d, layout.rows[row].label, L"Static"); }

// Puts a text on the clipboard for a Ctrl+V.
bool put_on_clipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

// A long list of lines, as one pasted from elsewhere would be, ending in a line of its own.
std::wstring long_lines(size_t at_least) {
    std::wstring text;
    for (size_t i = 0; text.size() < at_least; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
    return text + L"the last line";
}

// A single line, for a single-line edit, which takes only the first line of what is pasted.
std::wstring long_line(size_t length) {
    std::wstring text;
    for (size_t i = 0; text.size() < length; ++i) text += L"word" + std::to_wstring(i) + L' ';
    text.resize(length);
    return text;
}

std::string narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

enum class Dismissal { Escape, CloseBox, CancelButton };

// Every way of leaving a dialog without confirming it, each a fresh opening of the same class.
void dismiss(Driver& d, Dismissal how) {
    switch (how) {
    case Dismissal::Escape: d.press(VK_ESCAPE); break;
    case Dismissal::CloseBox: d.close_command(); break;
    case Dismissal::CancelButton: d.click(d.item(IDCANCEL)); break;
    }
}

constexpr Dismissal ALL_DISMISSALS[] = {Dismissal::Escape, Dismissal::CloseBox, Dismissal::CancelButton};

// ---- the fill-in dialog ----

TEST(FillInDialog, ANumberIsReturnedTrimmedAndTheWindowHasTheComputedSize) {
    const std::vector<VariableDefinition> definitions{variable("Count", VariableKind::Number)};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        RECT client{};
        GetClientRect(d.dialog(), &client);
        const FillLayout layout = layout_fill_in(definitions, dpi());
        d.expect(client.right == layout.client_width && client.bottom == layout.client_height, "client size");
        d.expect(test::text_of(d.dialog()) == L"Fill in: Order", "title");
        d.expect(test::text_of(row_label(d, layout, 0)) == L"Count (number):", "label");
        if (!d.wait_focus(row_input(d, layout, 0), "the number edit")) return;
        d.type(L" 12 \n");
    });
    const auto values = fill_in("Fill in: Order", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{"12"}}));
}

TEST(FillInDialog, AWordInANumberIsReportedAndTheDialogStaysOpenOnThatEdit) {
    const std::vector<VariableDefinition> definitions{variable("Note", VariableKind::FreeText),
                                                      variable("Price", VariableKind::Number)};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, dpi());
        HWND message = d.at(layout.message.left + 1, layout.message.top + 1);
        HWND price = row_input(d, layout, 1);
        if (!d.wait_focus(row_input(d, layout, 0), "the first edit")) return;
        d.type(L"x");
        d.press(VK_TAB);
        if (!d.wait_focus(price, "the price edit after Tab")) return;
        d.type(L"12 apples\n");
        if (!d.wait_text(message, L"Price must be a number.", "the message line")) return;
        d.expect(IsWindowVisible(d.dialog()) != FALSE, "the dialog stays open");
        d.expect(d.focus() == price, "the focus is back on the price");
        d.expect(test::all_selected(price), "the price is selected");
        d.pause_for_observer();
        // The selection is replaced by what is typed next.
        d.type(L"12\n");
    });
    const auto values = fill_in("Fill in: Fruit", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{"x"}, {"12"}}));
}

TEST(FillInDialog, EnterPastesRememberedValuesAndAnEmptyFreeText) {
    const std::vector<VariableDefinition> definitions{
        variable("Note", VariableKind::FreeText),
        variable("City", VariableKind::FreeText, {}, {"Oslo"}),
        variable("Extras", VariableKind::MultipleChoice, {"ice", "lemon", "mint"}, {"mint"}),
    };
    Driver driver(FILL_CLASS, [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, dpi());
        d.expect(test::text_of(row_input(d, layout, 1)) == L"Oslo", "the remembered city");
        d.expect(!test::is_checked(row_input(d, layout, 2, 0)) && test::is_checked(row_input(d, layout, 2, 2)),
                 "the remembered extras");
        if (!d.wait_focus(row_input(d, layout, 0), "the first edit")) return;
        d.click(row_input(d, layout, 2, 0));
        if (!d.wait([&] { return test::is_checked(row_input(d, layout, 2, 0)); }, "ice ticked by a click")) return;
        d.click(d.item(IDOK));
    });
    const auto values = fill_in("Fill in", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{""}, {"Oslo"}, {"ice", "mint"}}));
}

TEST(FillInDialog, StartsInTheFirstEditWithItsTextSelectedOrOnTheFirstTickedBox) {
    const std::vector<VariableDefinition> edit_first{variable("City", VariableKind::FreeText, {}, {"Oslo"})};
    Driver edit_driver(FILL_CLASS, [&](Driver& d) {
        HWND city = row_input(d, layout_fill_in(edit_first, dpi()), 0);
        if (!d.wait_focus(city, "the city")) return;
        d.expect(test::all_selected(city) && test::text_of(city) == L"Oslo", "the remembered city selected");
        d.type(L"Rome\n");
    });
    EXPECT_EQ(fill_in("Fill in", edit_first), (std::vector<ValueList>{{"Rome"}}));
    EXPECT_EQ(edit_driver.finish(), "");

    const std::vector<VariableDefinition> boxes_first{
        variable("Extras", VariableKind::MultipleChoice, {"ice", "lemon", "mint"}, {"mint", "lemon"}),
        variable("Note", VariableKind::FreeText)};
    Driver boxes_driver(FILL_CLASS, [&](Driver& d) {
        if (!d.wait_focus(row_input(d, layout_fill_in(boxes_first, dpi()), 0, 1), "lemon, the first ticked box"))
            return;
        d.press(VK_SPACE);
        d.press(VK_RETURN);
    });
    EXPECT_EQ(fill_in("Fill in", boxes_first), (std::vector<ValueList>{{"mint"}, {""}}));
    EXPECT_EQ(boxes_driver.finish(), "");
}

TEST(FillInDialog, AnAmpersandIsShownAsWrittenAndNeverPressesAnOption) {
    const std::vector<VariableDefinition> definitions{
        variable("Seasoning", VariableKind::MultipleChoice, {"plain", "Salt & pepper"}),
        variable("R&D", VariableKind::Number)};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, dpi());
        HWND plain = row_input(d, layout, 0, 0);
        HWND salt = row_input(d, layout, 0, 1);
        HWND label = row_label(d, layout, 1);
        d.expect(test::rendering(salt) == test::reference_rendering(salt, L"Salt && pepper"),
                 "the option shows \"Salt & pepper\"");
        d.expect(test::rendering(label) == test::reference_rendering(label, L"R&&D (number):", SS_NOPREFIX),
                 "the label shows \"R&D (number):\"");
        if (!d.wait_focus(plain, "plain")) return;
        // "& " would make Space the mnemonic of "Salt & pepper".
        d.press(VK_SPACE);
        if (!d.wait([&] { return test::is_checked(plain); }, "Space ticking plain")) return;
        d.expect(!test::is_checked(salt), "Salt & pepper left alone");
        d.click(row_input(d, layout, 1));
        if (!d.wait_focus(row_input(d, layout, 1), "the number")) return;
        d.type(L"x\n");
        HWND message = d.at(layout.message.left + 1, layout.message.top + 1);
        if (!d.wait_text(message, L"R&D must be a number.", "the message")) return;
        d.expect(test::rendering(message) == test::reference_rendering(message, L"R&&D must be a number.", SS_NOPREFIX),
                 "the message shows \"R&D must be a number.\"");
        d.type(L"7\n");
    });
    const auto values = fill_in("Fill in: R&D", definitions);
    EXPECT_EQ(driver.finish(), "");
    EXPECT_EQ(values, (std::vector<ValueList>{{"plain"}, {"7"}}));
}

TEST(FillInDialog, EveryInputHasAnIdOfItsOwnWhateverTheOptionCount) {
    std::vector<std::string> many;
    for (int j = 0; j < 70; ++j) many.push_back("option " + std::to_string(j));
    const std::vector<VariableDefinition> definitions{variable("Pick", VariableKind::MultipleChoice, many),
                                                      variable("Note", VariableKind::FreeText),
                                                      variable("Size", VariableKind::SingleChoice, {"S", "M"})};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, dpi());
        std::vector<int> ids;
        for (HWND child : test::descendants(d.dialog()))
            if (same_class(child, L"Edit") || same_class(child, L"Button")) ids.push_back(GetDlgCtrlID(child));
        std::sort(ids.begin(), ids.end());
        d.expect(ids.size() == 70 + 1 + 2 + 2, "every input and button made");
        d.expect(std::adjacent_find(ids.begin(), ids.end()) == ids.end(), "no two inputs share an id");
        HWND note = row_input(d, layout, 1);
        d.expect(d.item(GetDlgCtrlID(note)) == note, "the note found by its id");
        d.click(row_input(d, layout, 0, 64));
        if (!d.wait([&] { return test::is_checked(row_input(d, layout, 0, 64)); }, "option 64 ticked")) return;
        d.click(note);
        if (!d.wait_focus(note, "the note")) return;
        d.type(L"n\n");
    });
    const auto values = fill_in("Fill in", definitions);
    EXPECT_EQ(driver.finish(), "");
    EXPECT_EQ(values, (std::vector<ValueList>{{"option 64"}, {"n"}, {"S"}}));
}

struct SingleCase {
    const char* remembered;
    int starts_on;  // option index
    bool press_down;
    const char* returned;
};

class FillInSingleChoice : public testing::TestWithParam<SingleCase> {};

TEST_P(FillInSingleChoice, StartsOnTheRememberedOptionOrTheFirst) {
    const SingleCase& c = GetParam();
    const std::vector<VariableDefinition> definitions{
        variable("Answer", VariableKind::SingleChoice, {"Yes", "No"}, {c.remembered})};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, dpi());
        HWND start = row_input(d, layout, 0, size_t(c.starts_on));
        HWND other = row_input(d, layout, 0, size_t(1 - c.starts_on));
        d.expect(test::is_checked(start) && !test::is_checked(other), "exactly the expected button checked");
        if (!d.wait_focus(start, "the checked button")) return;
        if (c.press_down) {
            d.press(VK_DOWN);
            if (!d.wait([&] { return test::is_checked(other); }, "the arrow moving the choice")) return;
        }
        d.press(VK_RETURN);
    });
    const auto values = fill_in("Fill in: Answer", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{c.returned}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, FillInSingleChoice,
                         testing::Values(SingleCase{"No", 1, false, "No"}, SingleCase{"Maybe", 0, false, "Yes"},
                                         SingleCase{"Maybe", 0, true, "No"}));

TEST(FillInDialog, EscapeTheCloseBoxAndCancelReturnNothingAtEveryOpening) {
    const std::vector<VariableDefinition> definitions{variable("City", VariableKind::FreeText, {}, {"Oslo"})};
    for (Dismissal how : ALL_DISMISSALS) {
        Driver driver(FILL_CLASS, [&](Driver& d) {
            if (d.wait_focus(row_input(d, layout_fill_in(definitions, dpi()), 0), "the edit")) dismiss(d, how);
        });
        EXPECT_EQ(fill_in("Fill in", definitions), std::nullopt) << int(how);
        EXPECT_EQ(driver.finish(), "") << int(how);
    }
}

TEST(FillInDialog, ATemplateNeedingMoreControlsThanTheDialogMakesIsRefusedAtOnce) {
    std::vector<std::string> options(MAX_FILL_CONTROLS, "x");
    EXPECT_EQ(fill_in("Fill in", {variable("Pick", VariableKind::MultipleChoice, options)}), std::nullopt);
    EXPECT_EQ(FindWindowW(FILL_CLASS, nullptr), nullptr);
}

// ---- the variables wizard ----

constexpr int KIND_ID = 200;
constexpr int OPTIONS_ID = 210;
constexpr int BACK_ID = 300;

HWND wizard_caption(const Driver& d) { return d.at(scale(12, dpi()) + 1, scale(12, dpi()) + 1); }
HWND wizard_message(const Driver& d) { return d.at(scale(12, dpi()) + 1, scale(280, dpi()) + 1); }

TEST(VariablesWizard, OneDefinitionShowsFinishAndNoBack) {
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        d.expect(test::text_of(d.dialog()) == L"Define the values to fill in", "title");
        d.expect(test::text_of(wizard_caption(d)) == L"Value 1 of 1:  ${count}", "caption");
        d.expect(test::text_of(d.item(IDOK)) == L"Finish", "Finish");
        d.expect(!IsWindowEnabled(d.item(BACK_ID)), "Back disabled");
        d.expect(!IsWindowEnabled(d.item(OPTIONS_ID)), "options disabled for free text");
        if (!d.wait_focus(d.item(KIND_ID + 0), "the free text button")) return;
        d.press(VK_DOWN);  // the arrows move within the kind buttons
        if (!d.wait([&] { return test::is_checked(d.item(KIND_ID + 1)); }, "Number chosen")) return;
        d.press(VK_RETURN);
    });
    const auto result = run_variables_wizard({variable("count", VariableKind::FreeText, {}, {"x"})}, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 1u);
    EXPECT_EQ((*result)[0].kind, VariableKind::Number);
    EXPECT_TRUE((*result)[0].remembered_values.empty());
}

TEST(VariablesWizard, ShowsExistingOptionsAndANameAsWrittenAndEscapeLeavesFromTheOptions) {
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND caption = wizard_caption(d);
        HWND options = d.item(OPTIONS_ID);
        d.expect(test::text_of(caption) == L"Value 1 of 1:  ${R&D}", "caption");
        d.expect(test::rendering(caption) ==
                     test::reference_rendering(caption, L"Value 1 of 1:  ${R&&D}", SS_NOPREFIX),
                 "the caption shows ${R&D}");
        d.expect(test::text_of(options) == L"red\r\nblue" && IsWindowEnabled(options), "the options shown");
        d.expect(test::is_checked(d.item(KIND_ID + 3)), "Multiple choice");
        if (!d.wait_focus(d.item(KIND_ID + 3), "the kind")) return;
        d.click(options);
        if (!d.wait_focus(options, "the options")) return;
        d.type(L"\ngreen");
        d.press(VK_ESCAPE);
    });
    const auto result =
        run_variables_wizard({variable("R&D", VariableKind::MultipleChoice, {"red", "blue"}, {"red"})}, 0);
    EXPECT_EQ(driver.finish(), "");
    EXPECT_EQ(result, std::nullopt);
}

TEST(VariablesWizard, BackKeepsWhatWasTypedAndFinishEndsOnTheLastPage) {
    const std::vector<VariableDefinition> definitions{variable("who", VariableKind::FreeText, {}, {"Ann"}),
                                                      variable("colour", VariableKind::FreeText)};
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND caption = wizard_caption(d);
        HWND options = d.item(OPTIONS_ID);
        if (!d.wait_focus(d.item(KIND_ID), "the first page's kind")) return;
        d.press(VK_RETURN);
        if (!d.wait_text(caption, L"Value 2 of 2:  ${colour}", "page 2")) return;
        d.expect(test::text_of(d.item(IDOK)) == L"Finish" && IsWindowEnabled(d.item(BACK_ID)), "last page buttons");
        d.click(d.item(KIND_ID + 2));
        if (!d.wait([&] { return IsWindowEnabled(options) != FALSE; }, "options enabled by Single choice")) return;
        d.click(options);
        if (!d.wait_focus(options, "the options field")) return;
        d.type(L"red\n red \n\nblue");
        if (!d.wait_text(options, L"red\r\n red \r\n\r\nblue", "four typed lines")) return;
        d.pause_for_observer();
        d.click(d.item(BACK_ID));
        if (!d.wait_text(caption, L"Value 1 of 2:  ${who}", "back on page 1")) return;
        d.expect(test::text_of(d.item(IDOK)) == L"Next >", "Next on page 1");
        d.expect(test::is_checked(d.item(KIND_ID)) && !IsWindowEnabled(options), "page 1 is free text again");
        d.click(d.item(IDOK));
        if (!d.wait_text(caption, L"Value 2 of 2:  ${colour}", "page 2 again")) return;
        d.expect(test::text_of(options) == L"red\r\n red \r\n\r\nblue", "the typed options kept");
        d.expect(test::is_checked(d.item(KIND_ID + 2)), "Single choice kept");
        d.click(d.item(IDOK));
    });
    const auto result = run_variables_wizard(definitions, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 2u);
    EXPECT_EQ((*result)[0].kind, VariableKind::FreeText);
    EXPECT_EQ((*result)[0].remembered_values, (ValueList{"Ann"}));
    EXPECT_EQ((*result)[1].name, "colour");
    EXPECT_EQ((*result)[1].kind, VariableKind::SingleChoice);
    EXPECT_EQ((*result)[1].options, (std::vector<std::string>{"red", "blue"}));
}

TEST(VariablesWizard, AChoiceWithoutOptionsIsRefusedWithTheFocusOnTheOptions) {
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND options = d.item(OPTIONS_ID);
        if (!d.wait_focus(d.item(KIND_ID), "the kind")) return;
        d.click(d.item(KIND_ID + 3));
        if (!d.wait([&] { return IsWindowEnabled(options) != FALSE; }, "options enabled")) return;
        d.click(d.item(IDOK));
        if (!d.wait_text(wizard_message(d), L"Enter at least one option, one per line.", "the message")) return;
        d.expect(d.focus() == options, "the focus on the options");
        // Picking a kind again clears the message.
        d.click(d.item(KIND_ID + 2));
        if (!d.wait_text(wizard_message(d), L"", "the message cleared")) return;
        d.click(d.item(KIND_ID + 3));
        d.click(options);
        if (!d.wait_focus(options, "the options field")) return;
        d.type(L" x ");
        d.click(d.item(IDOK));
    });
    const auto result = run_variables_wizard({variable("extras", VariableKind::FreeText)}, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ((*result)[0].kind, VariableKind::MultipleChoice);
    EXPECT_EQ((*result)[0].options, (std::vector<std::string>{"x"}));
}

TEST(VariablesWizard, AfterBackTheKeyboardWorksOnTheKindAndTheMessageIsGone) {
    const std::vector<VariableDefinition> definitions{variable("a", VariableKind::FreeText),
                                                      variable("b", VariableKind::FreeText)};
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND options = d.item(OPTIONS_ID);
        if (!d.wait_focus(d.item(KIND_ID), "page 1's kind")) return;
        d.press(VK_RETURN);
        if (!d.wait_text(wizard_caption(d), L"Value 2 of 2:  ${b}", "page 2")) return;
        d.click(d.item(KIND_ID + 3));
        d.click(d.item(IDOK));
        if (!d.wait_text(wizard_message(d), L"Enter at least one option, one per line.", "the refusal")) return;
        if (!d.wait_focus(options, "the refused options")) return;
        // Back from the refused page disables the focused options field and Back itself.
        d.click(d.item(BACK_ID));
        if (!d.wait_text(wizard_caption(d), L"Value 1 of 2:  ${a}", "page 1")) return;
        d.expect(test::text_of(wizard_message(d)).empty(), "the message cleared on the page change");
        if (!d.wait_focus(d.item(KIND_ID), "page 1's kind after Back")) return;
        d.expect(test::looks_default(d.item(IDOK)) && !test::looks_default(d.item(BACK_ID)), "Next is the default");
        d.press(VK_TAB);
        if (!d.wait_focus(d.item(IDOK), "Next after Tab")) return;
        d.press(VK_RETURN);
        if (!d.wait_text(wizard_caption(d), L"Value 2 of 2:  ${b}", "page 2 from the keyboard")) return;
        d.expect(test::text_of(wizard_message(d)).empty(), "no message on the new page");
        d.expect(test::is_checked(d.item(KIND_ID + 3)), "page 2 kept its kind");
        d.click(d.item(KIND_ID));
        d.press(VK_RETURN);
    });
    const auto result = run_variables_wizard(definitions, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ((*result)[1].kind, VariableKind::FreeText);
}

TEST(VariablesWizard, EnterPressesTheFocusedButtonAndTheDefaultLookFollows) {
    const std::vector<VariableDefinition> definitions{variable("a", VariableKind::FreeText),
                                                      variable("b", VariableKind::FreeText),
                                                      variable("c", VariableKind::FreeText)};
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND back = d.item(BACK_ID);
        HWND next = d.item(IDOK);
        HWND cancel = d.item(IDCANCEL);
        if (!d.wait_focus(d.item(KIND_ID), "the last page's kind")) return;
        // Round to Cancel backwards, then along the push buttons with the arrow keys.
        d.press_with(VK_SHIFT, VK_TAB);
        if (!d.wait_focus(cancel, "Cancel")) return;
        d.press(VK_LEFT);
        if (!d.wait_focus(next, "Finish")) return;
        d.press(VK_LEFT);
        if (!d.wait_focus(back, "Back")) return;
        if (!d.wait([&] { return test::looks_default(back); }, "Back looking like the default")) return;
        d.expect(!test::looks_default(next) && !test::looks_default(cancel), "only Back looks like the default");
        d.press(VK_RETURN);
        if (!d.wait_text(wizard_caption(d), L"Value 2 of 3:  ${b}", "Enter on Back going back")) return;
        if (!d.wait_focus(d.item(KIND_ID), "the kind after Back")) return;
        d.expect(test::looks_default(next) && !test::looks_default(back), "Next the default again");
        d.press(VK_TAB);  // past the disabled options field
        if (!d.wait_focus(back, "Back from the kind")) return;
        d.press(VK_RETURN);
        if (!d.wait_text(wizard_caption(d), L"Value 1 of 3:  ${a}", "the first page")) return;
        // Back is disabled here, so Tab goes from the kind to Next and then to Cancel.
        if (!d.wait_focus(d.item(KIND_ID), "the kind on the first page")) return;
        d.press(VK_TAB);
        d.press(VK_TAB);
        if (!d.wait_focus(cancel, "Cancel")) return;
        d.expect(test::looks_default(cancel) && !test::looks_default(next), "Cancel the default");
        d.press(VK_RETURN);
    });
    EXPECT_EQ(run_variables_wizard(definitions, 2), std::nullopt);
    EXPECT_EQ(driver.finish(), "");
}

TEST(VariablesWizard, TheArrowKeysStayWithinTheKindButtonsAndThePushButtons) {
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND multiple = d.item(KIND_ID + 3);
        if (!d.wait_focus(multiple, "Multiple choice")) return;
        d.press(VK_DOWN);
        if (!d.wait_focus(d.item(KIND_ID), "Free text, wrapping round")) return;
        d.expect(test::is_checked(d.item(KIND_ID)), "Free text chosen");
        d.press(VK_UP);
        if (!d.wait_focus(multiple, "Multiple choice again")) return;
        d.click(d.item(IDCANCEL));
    });
    EXPECT_EQ(run_variables_wizard({variable("x", VariableKind::MultipleChoice, {"a"})}, 0), std::nullopt);
    EXPECT_EQ(driver.finish(), "");

    Driver buttons(WIZARD_CLASS, [&](Driver& d) {
        if (!d.wait_focus(d.item(KIND_ID), "the kind")) return;
        d.press_with(VK_SHIFT, VK_TAB);
        if (!d.wait_focus(d.item(IDCANCEL), "Cancel, backwards from the kind")) return;
        d.press(VK_RIGHT);
        if (!d.wait_focus(d.item(IDOK), "Finish, wrapping round the push buttons")) return;
        d.press(VK_LEFT);
        if (!d.wait_focus(d.item(IDCANCEL), "Cancel again")) return;
        d.press(VK_RETURN);
    });
    EXPECT_EQ(run_variables_wizard({variable("x", VariableKind::FreeText)}, 0), std::nullopt);
    EXPECT_EQ(buttons.finish(), "");
}

TEST(VariablesWizard, CancelOnTheLastPageDiscardsEveryPageAtEveryOpening) {
    const std::vector<VariableDefinition> definitions{variable("a", VariableKind::FreeText),
                                                      variable("b", VariableKind::Number)};
    for (Dismissal how : ALL_DISMISSALS) {
        Driver driver(WIZARD_CLASS, [&](Driver& d) {
            // A start index past the end opens the last page.
            d.expect(test::text_of(wizard_caption(d)) == L"Value 2 of 2:  ${b}", "the last page");
            if (!d.wait_focus(d.item(KIND_ID + 1), "the Number button")) return;
            d.click(d.item(BACK_ID));
            if (!d.wait_text(wizard_caption(d), L"Value 1 of 2:  ${a}", "page 1")) return;
            d.click(d.item(KIND_ID + 1));
            d.click(d.item(IDOK));
            if (!d.wait_text(wizard_caption(d), L"Value 2 of 2:  ${b}", "page 2")) return;
            dismiss(d, how);
        });
        EXPECT_EQ(run_variables_wizard(definitions, 9), std::nullopt) << int(how);
        EXPECT_EQ(driver.finish(), "") << int(how);
    }
}

TEST(VariablesWizard, AnEmptyListReturnsAtOnceWithoutAWindow) {
    const auto result = run_variables_wizard({}, 3);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->empty());
    EXPECT_EQ(FindWindowW(WIZARD_CLASS, nullptr), nullptr);
}

// ---- the text icon editor ----

constexpr int NAME_ID = 100;
constexpr int TEXT_ID = 101;

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
