// The variables wizard driven as a user would: its pages, Back and Finish, the keyboard among
// its buttons, and every way of leaving it.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <optional>
#include <string>
#include <vector>

#include "dialog_cases.hpp"
#include "win/dialogs/wizard.hpp"

namespace korvane {
namespace {

using namespace dialog_test;
using test::variable;

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
        HWND secret = d.item(KIND_ID + 4);
        if (!d.wait_focus(multiple, "Multiple choice")) return;
        d.press(VK_DOWN);
        if (!d.wait_focus(secret, "Secret, the last kind")) return;
        d.expect(!IsWindowEnabled(d.item(OPTIONS_ID)), "no options for a secret");
        d.press(VK_DOWN);
        if (!d.wait_focus(d.item(KIND_ID), "Free text, wrapping round")) return;
        d.expect(test::is_checked(d.item(KIND_ID)), "Free text chosen");
        d.press(VK_UP);
        if (!d.wait_focus(secret, "Secret again")) return;
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

}  // namespace
}  // namespace korvane
