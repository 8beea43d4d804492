#include <gtest/gtest.h>

#include "variable_builder.hpp"

#include "core/fill_layout.hpp"

namespace korvane {
namespace {

using test::variable;

std::vector<std::string> numbered_options(size_t n) {
    std::vector<std::string> options;
    for (size_t j = 0; j < n; ++j) options.push_back("option " + std::to_string(j));
    return options;
}

TEST(FillLayout, ThreeVariablesGiveTheDocumentedClientHeight) {
    const std::vector<VariableDefinition> definitions{
        variable("Who", VariableKind::FreeText),
        variable("Size", VariableKind::SingleChoice, {"S", "M", "L"}),
        variable("Count", VariableKind::Number),
    };
    const FillLayout layout = layout_fill_in(definitions, 96);
    EXPECT_EQ(layout.client_width, 400);
    EXPECT_EQ(layout.client_height, 12 + (20 + 24 + 12) + (20 + 66 + 12) + (20 + 24 + 12) + 20 + 26 + 12);
    ASSERT_EQ(layout.rows.size(), 3u);
    EXPECT_EQ(layout.rows[0].label, (box(12, 12, 376, 20)));
    EXPECT_EQ(layout.rows[0].inputs, (std::vector<Rect>{box(12, 32, 376, 24)}));
    EXPECT_EQ(layout.rows[1].label.top, 68);
    EXPECT_EQ(layout.rows[2].inputs.front().top, 12 + 56 + 98 + 20);
    const int below_rows = 12 + 56 + 98 + 56;
    EXPECT_EQ(layout.message, (box(12, below_rows - 6, 376, 20)));
    EXPECT_EQ(layout.paste, (box(400 - 12 - 84 - 8 - 84, below_rows + 20, 84, 26)));
    EXPECT_EQ(layout.cancel, (box(400 - 12 - 84, below_rows + 20, 84, 26)));
}

TEST(FillLayout, ScalesEachQuantityOnItsOwnAt144Dpi) {
    // At 144 dpi 20 + 24 + 12 DIPs are 30 + 36 + 18 pixels; the message line rises 9 pixels.
    const FillLayout layout = layout_fill_in({variable("Count", VariableKind::Number)}, 144);
    EXPECT_EQ(layout.client_width, 600);
    EXPECT_EQ(layout.rows[0].inputs.front(), (box(18, 48, 564, 36)));
    EXPECT_EQ(layout.message.top, 18 + 84 - 9);
    EXPECT_EQ(layout.client_height, 18 + 84 + 30 + 39 + 18);
    // At 120 dpi a 22-DIP line is 27 pixels (27.5 truncated): three lines are 81 pixels, not
    // the 82 that scaling 66 DIPs at once would give, so the buttons fill the row exactly.
    const FillLayout odd = layout_fill_in({variable("Pick", VariableKind::MultipleChoice, numbered_options(3))}, 120);
    EXPECT_EQ(odd.rows[0].inputs[2].top, 15 + 25 + 2 * 27);
    EXPECT_EQ(odd.client_height, 15 + 25 + 3 * 27 + 15 + 25 + 32 + 15);
}

TEST(FillLayout, NoRowsLeaveOnlyTheMessageAndButtons) {
    const FillLayout layout = layout_fill_in({}, 96);
    EXPECT_TRUE(layout.rows.empty());
    EXPECT_EQ(layout.client_height, 12 + 20 + 26 + 12);
    EXPECT_EQ(layout.paste.top, 32);
}

struct ColumnCase {
    size_t options;
    int columns;
    int lines;
};

class OptionGrid : public testing::TestWithParam<ColumnCase> {};

TEST_P(OptionGrid, ColumnsFollowTheOptionCount) {
    EXPECT_EQ(option_columns(GetParam().options), GetParam().columns) << GetParam().options;
    EXPECT_EQ(option_lines(GetParam().options), GetParam().lines) << GetParam().options;
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionGrid,
                         testing::Values(ColumnCase{0, 1, 0}, ColumnCase{1, 1, 1}, ColumnCase{5, 1, 5},
                                         ColumnCase{6, 2, 3}, ColumnCase{7, 2, 4}, ColumnCase{12, 2, 6},
                                         ColumnCase{13, 3, 5}, ColumnCase{14, 3, 5}, ColumnCase{16, 3, 6}));

// Column index and line of every button, read back from the boxes.
std::vector<std::pair<int, int>> grid_of(const FillRowLayout& row) {
    std::vector<std::pair<int, int>> grid;
    for (const Rect& box : row.inputs) grid.push_back({(box.left - 20) / box.width(), (box.top - 32) / 22});
    return grid;
}

TEST(FillLayout, SevenOptionsFillTwoColumnsOfFourAndThree) {
    const FillLayout layout = layout_fill_in({variable("Pick", VariableKind::MultipleChoice, numbered_options(7))}, 96);
    const FillRowLayout& row = layout.rows.at(0);
    ASSERT_EQ(row.inputs.size(), 7u);
    EXPECT_EQ(row.inputs[0], (box(20, 32, 184, 22)));
    EXPECT_EQ(row.inputs[4], (box(20 + 184, 32, 184, 22)));
    EXPECT_EQ(grid_of(row), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}}));
    EXPECT_EQ(layout.client_height, 12 + 20 + 4 * 22 + 12 + 20 + 26 + 12);
}

TEST(FillLayout, ThirteenOptionsFillThreeColumnsOfFiveFiveAndThree) {
    const FillLayout layout = layout_fill_in({variable("Pick", VariableKind::SingleChoice, numbered_options(13))}, 96);
    const FillRowLayout& row = layout.rows.at(0);
    ASSERT_EQ(row.inputs.size(), 13u);
    EXPECT_EQ(row.inputs[0].width(), (376 - 8) / 3);
    std::vector<int> per_column(3, 0);
    for (auto [column, line] : grid_of(row)) {
        ASSERT_LT(column, 3);
        EXPECT_EQ(line, per_column[column]++);
    }
    EXPECT_EQ(per_column, (std::vector<int>{5, 5, 3}));
    EXPECT_EQ(row.inputs[10].left, 20 + 2 * 122);
}

TEST(FillLayout, NumbersTheInputsOneAfterAnotherSoNoTwoShareAnId) {
    // 70 options would run into the next row's ids with a fixed step of 64 per row.
    const FillLayout layout = layout_fill_in({variable("Pick", VariableKind::MultipleChoice, numbered_options(70)),
                                              variable("Note", VariableKind::FreeText),
                                              variable("None", VariableKind::SingleChoice),
                                              variable("Size", VariableKind::SingleChoice, numbered_options(3))},
                                             96);
    std::vector<int> ids;
    for (const FillRowLayout& row : layout.rows)
        for (size_t j = 0; j < row.inputs.size(); ++j) ids.push_back(row.first_id + int(j));
    std::vector<int> expected(74);
    for (size_t k = 0; k < expected.size(); ++k) expected[k] = FIRST_FILL_INPUT_ID + int(k);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(layout.rows[1].first_id, FIRST_FILL_INPUT_ID + 70);
    // The largest fill-in stays clear of IDOK, IDCANCEL and the statics' 0xFFFF.
    EXPECT_GT(FIRST_FILL_INPUT_ID, 2);
    EXPECT_LT(FIRST_FILL_INPUT_ID + int(MAX_FILL_CONTROLS), 0xFFFF);
}

TEST(FillControlCount, CountsALabelAndTheInputsOfEachRowAndStopsPastTheLimit) {
    EXPECT_EQ(fill_control_count({}), 0u);
    EXPECT_EQ(fill_control_count({variable("a", VariableKind::FreeText), variable("b", VariableKind::Number),
                                  variable("c", VariableKind::MultipleChoice, numbered_options(4)),
                                  variable("d", VariableKind::SingleChoice)}),
              2u + 2u + 5u + 1u);
    const std::vector<VariableDefinition> at_limit{
        variable("a", VariableKind::SingleChoice, numbered_options(MAX_FILL_CONTROLS - 1))};
    EXPECT_EQ(fill_control_count(at_limit), MAX_FILL_CONTROLS);
    const std::vector<VariableDefinition> one_more{
        variable("a", VariableKind::SingleChoice, numbered_options(MAX_FILL_CONTROLS))};
    EXPECT_EQ(fill_control_count(one_more), MAX_FILL_CONTROLS + 1);
    // Many rows without options each still need their label.
    const std::vector<VariableDefinition> empty_rows(MAX_FILL_CONTROLS + 5, variable("x", VariableKind::SingleChoice));
    EXPECT_EQ(fill_control_count(empty_rows), MAX_FILL_CONTROLS + 1);
}

std::vector<VariableDefinition> free_text_rows(int count) {
    return std::vector<VariableDefinition>(size_t(count), variable("v", VariableKind::FreeText));
}

TEST(FitFillIn, ALayoutThatFitsIsKeptExactly) {
    const FillLayout layout = layout_fill_in(free_text_rows(3), 96);
    const FillFit fit = fit_fill_in(layout, layout.client_height, 17, 96);
    EXPECT_FALSE(fit.scrolls);
    EXPECT_EQ(fit.client_width, layout.client_width);
    EXPECT_EQ(fit.client_height, layout.client_height);
    EXPECT_EQ(fit.viewport_height, layout.rows_height);
    EXPECT_EQ(fit.message, layout.message);
    EXPECT_EQ(fit.paste, layout.paste);
    EXPECT_EQ(fit.cancel, layout.cancel);
}

TEST(FitFillIn, TooManyRowsScrollAboveTheMessageAndTheButtons) {
    // Forty rows are 12 + 40 x 56 pixels at 96 dpi; below them 6 + 20 + 26 + 12 pixels from the
    // message line's top to the foot.
    const FillLayout layout = layout_fill_in(free_text_rows(40), 96);
    ASSERT_EQ(layout.rows_height, 12 + 40 * 56);
    const FillFit fit = fit_fill_in(layout, 1000, 17, 96);
    EXPECT_TRUE(fit.scrolls);
    EXPECT_EQ(fit.client_height, 1000);
    EXPECT_EQ(fit.viewport_height, 1000 - 64);
    EXPECT_EQ(fit.client_width, 417);
    EXPECT_EQ(fit.message, (box(12, 936, 376, 20)));
    EXPECT_EQ(fit.paste, (box(417 - 12 - 84 - 8 - 84, 936 + 6 + 20, 84, 26)));
    EXPECT_EQ(fit.cancel, (box(417 - 12 - 84, 962, 84, 26)));

    // At 144 dpi the part below the rows is 9 + 30 + 39 + 18 pixels.
    const FillFit big = fit_fill_in(layout_fill_in(free_text_rows(40), 144), 1040, 25, 144);
    EXPECT_EQ(big.viewport_height, 1040 - 96);
    EXPECT_EQ(big.paste.top, 1040 - 96 + 9 + 30);
    EXPECT_EQ(big.cancel.left, 600 + 25 - 18 - 126);

    // A work area too low for even one row keeps one row in sight and lets the window grow.
    const FillFit tiny = fit_fill_in(layout, 50, 17, 96);
    EXPECT_EQ(tiny.viewport_height, 20 + 24);
    EXPECT_EQ(tiny.client_height, 44 + 64);
}

struct ViewCase {
    const char* what;
    int offset;
    int top;
    int bottom;
    int shown;
};

class ScrollIntoView : public testing::TestWithParam<ViewCase> {};

TEST_P(ScrollIntoView, MovesAsLittleAsItCan) {
    // Rows 2000 pixels high in a viewport of 500.
    const ViewCase& c = GetParam();
    EXPECT_EQ(scroll_into_view(c.offset, 2000, 500, c.top, c.bottom), c.shown) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollIntoView,
    testing::Values(ViewCase{"already in sight", 300, 400, 700, 300}, ViewCase{"above", 300, 100, 200, 100},
                    ViewCase{"below", 300, 900, 1000, 500}, ViewCase{"partly below", 300, 750, 850, 350},
                    ViewCase{"taller than the viewport shows its top", 0, 700, 1400, 700},
                    ViewCase{"the end is as far as it goes", 0, 1900, 2100, 1500},
                    ViewCase{"nothing above the top", 800, -12, 40, 0}));

TEST(ClampScroll, KeepsTheRowsFillingTheViewport) {
    EXPECT_EQ(clamp_scroll(-5, 2000, 500), 0);
    EXPECT_EQ(clamp_scroll(1600, 2000, 500), 1500);
    EXPECT_EQ(clamp_scroll(int64_t(1) << 40, 2000, 500), 1500);
    EXPECT_EQ(clamp_scroll(700, 2000, 500), 700);
    EXPECT_EQ(clamp_scroll(10, 300, 500), 0);
}

TEST(FocusSpan, IsTheWholeRowWithItsGapsOrTheInputOfARowTallerThanTheViewport) {
    const FillLayout layout = layout_fill_in({variable("Who", VariableKind::FreeText),
                                              variable("Pick", VariableKind::SingleChoice, numbered_options(7))},
                                             96);
    // Row 0: the label from 12, the edit to 56; the gaps above and below are 12 each.
    EXPECT_EQ(focus_span(layout, 0, 0, 500, 96), (RowSpan{0, 68}));
    // Row 1: four lines of buttons in the first column make it 20 + 88 high.
    EXPECT_EQ(focus_span(layout, 1, 6, 500, 96), (RowSpan{68 - 12, 68 + 108 + 12}));
    // In a viewport lower than the row only the focused button is shown.
    EXPECT_EQ(focus_span(layout, 1, 6, 100, 96), (RowSpan{88 + 2 * 22, 88 + 3 * 22}));
}

TEST(WheelScroll, ANotchScrollsItsPixelsAndFineTurnsAddUpToTheSame) {
    EXPECT_EQ(wheel_scroll(120, 0, 66), (WheelScroll{66, 0}));
    EXPECT_EQ(wheel_scroll(-240, 0, 66), (WheelScroll{-132, 0}));
    // Three turns of 40 at 50 pixels a notch: 16, 17 and 17 pixels, 50 in all.
    WheelScroll turn = wheel_scroll(40, 0, 50);
    int total = turn.pixels;
    turn = wheel_scroll(40, turn.remainder, 50);
    total += turn.pixels;
    turn = wheel_scroll(40, turn.remainder, 50);
    total += turn.pixels;
    EXPECT_EQ(total, 50);
    EXPECT_EQ(turn.remainder, 0);
    EXPECT_EQ(wheel_scroll(1, 0, 50), (WheelScroll{0, 50}));
}

TEST(ButtonText, DoublesEveryAmpersandSoNoneMarksAMnemonic) {
    EXPECT_EQ(button_text("Salt & pepper"), "Salt && pepper");
    EXPECT_EQ(button_text("R&&D&"), "R&&&&D&&");
    EXPECT_EQ(button_text("plain"), "plain");
}

TEST(FillLabel, MarksNumbersAndSecrets) {
    EXPECT_EQ(fill_label(variable("Price", VariableKind::Number)), "Price (number):");
    EXPECT_EQ(fill_label(variable("City", VariableKind::FreeText)), "City:");
    EXPECT_EQ(fill_label(variable("Size", VariableKind::SingleChoice, {"S"})), "Size:");
    EXPECT_EQ(fill_label(variable("PIN", VariableKind::Secret)), "PIN (secret):");
}

struct CheckCase {
    const char* what;
    VariableKind kind;
    std::vector<std::string> options;
    ValueList remembered;
    std::vector<bool> checks;
};

class InitialChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(InitialChecks, FollowTheRememberedValues) {
    const CheckCase& c = GetParam();
    EXPECT_EQ(initial_checks(variable("v", c.kind, c.options, c.remembered)), c.checks) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InitialChecks,
    testing::Values(
        CheckCase{"single, remembered No", VariableKind::SingleChoice, {"Yes", "No"}, {"No"}, {false, true}},
        CheckCase{"single, remembered Maybe", VariableKind::SingleChoice, {"Yes", "No"}, {"Maybe"}, {true, false}},
        CheckCase{"single, nothing remembered", VariableKind::SingleChoice, {"Yes", "No"}, {}, {true, false}},
        CheckCase{"single, only the first value counts", VariableKind::SingleChoice, {"a", "b"}, {"x", "b"},
                  {true, false}},
        CheckCase{"single, compared byte for byte", VariableKind::SingleChoice, {"yes", "Yes"}, {"Yes"},
                  {false, true}},
        CheckCase{"single, no options", VariableKind::SingleChoice, {}, {"a"}, {}},
        CheckCase{"multiple, remembered subset", VariableKind::MultipleChoice, {"a", "b", "c"}, {"c", "a", "z"},
                  {true, false, true}},
        CheckCase{"multiple, nothing remembered", VariableKind::MultipleChoice, {"a", "b"}, {}, {false, false}}));

const std::vector<VariableDefinition> order_definitions{
    variable("Who", VariableKind::FreeText),
    variable("Price", VariableKind::Number),
    variable("Extras", VariableKind::MultipleChoice, {"ice", "lemon", "mint"}),
    variable("Count", VariableKind::Number),
};

std::vector<FillReading> readings(const char* who, const char* price, std::vector<bool> extras, const char* count) {
    return {{who, {}}, {price, {}}, {"", std::move(extras)}, {count, {}}};
}

TEST(ReadFillValues, KeepsFreeTextAsTypedTrimsNumbersAndListsCheckedOptionsInOrder) {
    const FillOutcome outcome =
        read_fill_values(order_definitions, readings("  Ann ", " 12 ", {true, false, true}, "007"));
    ASSERT_TRUE(std::holds_alternative<std::vector<ValueList>>(outcome));
    EXPECT_EQ(std::get<std::vector<ValueList>>(outcome),
              (std::vector<ValueList>{{"  Ann "}, {"12"}, {"ice", "mint"}, {"007"}}));
}

TEST(ReadFillValues, AcceptsAnEmptyFreeTextAndNoCheckedOption) {
    const FillOutcome outcome = read_fill_values(order_definitions, readings("", "1e3", {false, false, false}, "-1"));
    ASSERT_TRUE(std::holds_alternative<std::vector<ValueList>>(outcome));
    EXPECT_EQ(std::get<std::vector<ValueList>>(outcome), (std::vector<ValueList>{{""}, {"1e3"}, {}, {"-1"}}));
}

struct RefusalCase {
    const char* price;
    const char* count;
    size_t row;
    const char* message;
};

class ReadFillRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(ReadFillRefusal, ReportsTheFirstNumberThatIsNotOne) {
    const RefusalCase& c = GetParam();
    const FillOutcome outcome = read_fill_values(order_definitions, readings("x", c.price, {false, false, false}, c.count));
    ASSERT_TRUE(std::holds_alternative<FillRefusal>(outcome)) << c.price << " / " << c.count;
    EXPECT_EQ(std::get<FillRefusal>(outcome).row, c.row);
    EXPECT_EQ(std::get<FillRefusal>(outcome).message, c.message);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadFillRefusal,
                         testing::Values(RefusalCase{"12 apples", "3", 1, "Price must be a number."},
                                         RefusalCase{"", "3", 1, "Price must be a number."},
                                         RefusalCase{"   ", "3", 1, "Price must be a number."},
                                         RefusalCase{"12", "three", 3, "Count must be a number."},
                                         RefusalCase{"x", "y", 1, "Price must be a number."}));

TEST(ReadFillValues, ReadsOnlyAsManyRowsAsBothListsHave) {
    const FillOutcome fewer_readings = read_fill_values(order_definitions, {{"a", {}}});
    ASSERT_TRUE(std::holds_alternative<std::vector<ValueList>>(fewer_readings));
    EXPECT_EQ(std::get<std::vector<ValueList>>(fewer_readings), (std::vector<ValueList>{{"a"}}));
    // More buttons than options (or fewer) count only the options that have a button.
    const FillOutcome short_checks = read_fill_values({order_definitions[2]}, {{"", {true, true}}});
    EXPECT_EQ(std::get<std::vector<ValueList>>(short_checks), (std::vector<ValueList>{{"ice", "lemon"}}));
}

}  // namespace
}  // namespace korvane
