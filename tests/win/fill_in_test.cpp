// The fill-in dialog driven as a user would: keys and clicks from a second thread while the
// test thread runs the dialog's own loop.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <optional>
#include <string>
#include <vector>

#include "core/fill_layout.hpp"
#include "dialog_cases.hpp"
#include "win/dialogs/fill.hpp"

namespace korvane {
namespace {

using namespace dialog_test;
using test::variable;

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

}  // namespace
}  // namespace korvane
