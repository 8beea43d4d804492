#include <gtest/gtest.h>

#include "variable_builder.hpp"

#include "core/wizard_rules.hpp"

namespace korvane {
namespace {

struct OptionsCase {
    const char* text;
    std::vector<std::string> options;
};

class ParseOptions : public testing::TestWithParam<OptionsCase> {};

TEST_P(ParseOptions, KeepsEachDistinctTrimmedLineOnce) {
    EXPECT_EQ(parse_options(GetParam().text), GetParam().options) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseOptions,
    testing::Values(OptionsCase{"red\r\n red \r\n\r\nblue", {"red", "blue"}}, OptionsCase{"red\n red \n\nblue\n", {"red", "blue"}},
                    OptionsCase{"", {}}, OptionsCase{"\r\n \r\n\t", {}}, OptionsCase{"b\na\nb\nA", {"b", "a", "A"}},
                    OptionsCase{"two words\r\n", {"two words"}}, OptionsCase{"a\rb", {"a\rb"}},
                    OptionsCase{"\xE3\x80\x80x\xC2\xA0\nx", {"x"}}));

using test::variable;

TEST(WizardPages, StartWithTheKindAndTheOptionsJoinedWithCrLf) {
    const std::vector<WizardPage> pages = initial_pages({variable("size", VariableKind::SingleChoice, {"S", "M"}),
                                                         variable("n", VariableKind::Number, {"stray"})});
    EXPECT_EQ(pages, (std::vector<WizardPage>{{"S\r\nM", VariableKind::SingleChoice}, {"", VariableKind::Number}}));
}

TEST(WizardPages, CaptionCountsFromOne) {
    EXPECT_EQ(page_caption(0, 3, "city"), "Value 1 of 3:  ${city}");
    EXPECT_EQ(page_caption(11, 12, "a b"), "Value 12 of 12:  ${a b}");
}

TEST(WizardPages, StartPageIsClampedToTheLastOne) {
    EXPECT_EQ(first_wizard_page(0, 3), 0u);
    EXPECT_EQ(first_wizard_page(2, 3), 2u);
    EXPECT_EQ(first_wizard_page(7, 3), 2u);
}

struct ValidityCase {
    VariableKind kind;
    const char* text;
    bool valid;
};

class PageValidity : public testing::TestWithParam<ValidityCase> {};

TEST_P(PageValidity, ChoicesNeedAUsableOption) {
    EXPECT_EQ(page_is_valid({GetParam().text, GetParam().kind}), GetParam().valid)
        << int(GetParam().kind) << " '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Cases, PageValidity,
                         testing::Values(ValidityCase{VariableKind::FreeText, "", true},
                                         ValidityCase{VariableKind::Number, " \r\n", true},
                                         ValidityCase{VariableKind::SingleChoice, "", false},
                                         ValidityCase{VariableKind::SingleChoice, " \r\n\t", false},
                                         ValidityCase{VariableKind::SingleChoice, "x", true},
                                         ValidityCase{VariableKind::MultipleChoice, "\r\n", false},
                                         ValidityCase{VariableKind::MultipleChoice, "\r\n y", true}));

TEST(WizardResult, DropsRememberedValuesOnlyWhenTheKindChanges) {
    const std::vector<VariableDefinition> definitions{
        variable("size", VariableKind::SingleChoice, {"S", "M"}, {"M"}),
        variable("extras", VariableKind::SingleChoice, {"ice"}, {"ice"}),
        variable("count", VariableKind::Number, {}, {"4"}),
        variable("code", VariableKind::Secret, {}, {"from a file"}),
    };
    const std::vector<WizardPage> pages{
        {"S\r\nM\r\nL", VariableKind::SingleChoice},  // options changed, kind kept
        {"ice\r\nlemon", VariableKind::MultipleChoice},
        {"", VariableKind::Number},
        {"", VariableKind::Secret},  // a secret keeps nothing, even with its kind unchanged
    };
    const std::vector<VariableDefinition> result = wizard_result(definitions, pages);
    ASSERT_EQ(result.size(), 4u);
    EXPECT_TRUE(result[3].remembered_values.empty());
    EXPECT_EQ(result[0].options, (std::vector<std::string>{"S", "M", "L"}));
    EXPECT_EQ(result[0].remembered_values, (ValueList{"M"}));
    EXPECT_EQ(result[1].kind, VariableKind::MultipleChoice);
    EXPECT_EQ(result[1].options, (std::vector<std::string>{"ice", "lemon"}));
    EXPECT_TRUE(result[1].remembered_values.empty());
    EXPECT_EQ(result[2].remembered_values, (ValueList{"4"}));
    EXPECT_EQ(result[2].name, "count");
}

TEST(WizardResult, AKindWithoutOptionsCarriesNoneEvenWhenTheFieldStillHoldsThem) {
    const std::vector<VariableDefinition> result =
        wizard_result({variable("size", VariableKind::SingleChoice, {"S", "M"}, {"S"})},
                      {{"S\r\nM", VariableKind::FreeText}});
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].kind, VariableKind::FreeText);
    EXPECT_TRUE(result[0].options.empty());
    EXPECT_TRUE(result[0].remembered_values.empty());
}

}  // namespace
}  // namespace korvane
