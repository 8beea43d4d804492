#include <gtest/gtest.h>

#include "variable_builder.hpp"

#include "core/template.hpp"

namespace korvane {
namespace {

// Renders segments as "[literal]" and "{variable}" so a case reads as one string.
std::string render(std::string_view text) {
    std::string out;
    for (const Segment& s : parse_template(text))
        out += s.type == Segment::Type::Literal ? "[" + std::string(s.text) + "]" : "{" + std::string(s.text) + "}";
    return out;
}

struct ParseCase {
    const char* text;
    const char* segments;
};

class ParseTemplate : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTemplate, SplitsTextIntoLiteralsAndVariables) {
    EXPECT_EQ(render(GetParam().text), GetParam().segments) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTemplate,
    testing::Values(ParseCase{"", "[]"}, ParseCase{"plain", "[plain]"},
                    ParseCase{"Dear ${name}, ${ name }!", "[Dear ]{name}[, ]{name}[!]"},
                    ParseCase{"Cost: $${price}", "[Cost: ][${][price}]"},
                    ParseCase{"$$${x}", "[$][${][x}]"}, ParseCase{"${}", "[${][}]"}, ParseCase{"${ }", "[${][ }]"},
                    ParseCase{"${a{b}", "[${][a{b}]"}, ParseCase{"${a", "[${][a]"},
                    ParseCase{"${a ${b}", "[${][a ]{b}[]"}, ParseCase{"${\tcity\n}", "[]{city}[]"},
                    ParseCase{"${ci\nty}", "[${][ci\nty}]"}, ParseCase{"${ci\rty}", "[${][ci\rty}]"},
                    ParseCase{"${A} ${a}", "[]{A}[ ]{a}[]"}, ParseCase{"${a$b c}", "[]{a$b c}[]"},
                    ParseCase{"${\xC2\xA0x\xE3\x80\x80}", "[]{x}[]"}, ParseCase{"x}${y}}", "[x}]{y}[}]"}));

TEST(PlaceholderNames, AreDistinctCaseSensitiveAndInFirstAppearanceOrder) {
    EXPECT_EQ(placeholder_names("${b} ${a} ${b} ${ a } ${B}"), (std::vector<std::string>{"b", "a", "B"}));
    EXPECT_TRUE(placeholder_names("$${a} ${} ${x").empty());
}

using test::variable;

TEST(SyncVariables, KeepsKnownDefinitionsReordersAndReportsTheFirstNewOne) {
    const std::vector<VariableDefinition> existing{variable("a", VariableKind::Number, {}, {"7"}),
                                                   variable("c", VariableKind::FreeText)};
    const SyncedVariables synced = sync_variables("${b} ${a} ${b}", existing);
    ASSERT_EQ(synced.definitions.size(), 2u);
    EXPECT_EQ(synced.definitions[0].name, "b");
    EXPECT_EQ(synced.definitions[0].kind, VariableKind::FreeText);
    EXPECT_TRUE(synced.definitions[0].remembered_values.empty());
    EXPECT_EQ(synced.definitions[1].name, "a");
    EXPECT_EQ(synced.definitions[1].kind, VariableKind::Number);
    EXPECT_EQ(synced.definitions[1].remembered_values, std::vector<std::string>{"7"});
    EXPECT_EQ(synced.first_created, 0u);
}

TEST(SyncVariables, ReportsNothingWhenEveryNameIsKnownAndCopiesOptionsOnlyForChoices) {
    const std::vector<VariableDefinition> existing{
        variable("x", VariableKind::SingleChoice, {"a", "b"}, {"b"}),
        variable("y", VariableKind::Number, {"stray"}, {}), variable("x", VariableKind::FreeText)};
    const SyncedVariables synced = sync_variables("${y}${x}${z}${w}", existing);
    ASSERT_EQ(synced.definitions.size(), 4u);
    EXPECT_TRUE(synced.definitions[0].options.empty());
    EXPECT_EQ(synced.definitions[1].kind, VariableKind::SingleChoice);  // the first "x" wins
    EXPECT_EQ(synced.definitions[1].options, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(synced.first_created, 2u);
    EXPECT_FALSE(sync_variables("${x}", existing).first_created.has_value());
    EXPECT_TRUE(sync_variables("no placeholders", existing).definitions.empty());
}

TEST(IsNumber, AcceptsFiniteDecimalNumbers) {
    for (const char* yes : {" 12 ", "-0.5", "+.5", "3.", "1E-3", "007", "1e3", "1e-400", "\t-2.5e+10\n", "0"})
        EXPECT_TRUE(is_number(yes)) << yes;
}

TEST(IsNumber, RejectsEverythingElse) {
    for (const char* no : {"", "-", ".", "1,5", "1 000", "0x10", "NaN", "inf", "Infinity", "1e400", "e5", "1e",
                           "1e+", "--1", "1.2.3", "+", " ", "12a", "1e5.5"})
        EXPECT_FALSE(is_number(no)) << no;
}

TEST(JoinValues, SeparatesWithCommaAndSpace) {
    EXPECT_EQ(join_values({}), "");
    EXPECT_EQ(join_values({"one"}), "one");
    EXPECT_EQ(join_values({"red", "blue", ""}), "red, blue, ");
}

TEST(Substitute, FillsEveryOccurrenceAndUpdatesRememberedValues) {
    const std::vector<VariableDefinition> defs{variable("name", VariableKind::FreeText, {}, {"old"})};
    const Substitution s = substitute("Dear ${name}, ${ name }!", defs, {{"Ann"}});
    EXPECT_EQ(s.text, "Dear Ann, Ann!");
    ASSERT_EQ(s.definitions.size(), 1u);
    EXPECT_EQ(s.definitions[0].remembered_values, std::vector<std::string>{"Ann"});
}

TEST(Substitute, JoinsChoicesDropsUnknownPlaceholdersAndCutsToTheShorterList) {
    const std::vector<VariableDefinition> defs{
        variable("colour", VariableKind::MultipleChoice, {"red", "green", "blue"}, {"green"}),
        variable("size", VariableKind::SingleChoice, {"S", "M"}, {}), variable("extra", VariableKind::FreeText)};
    const Substitution filled = substitute("${colour}/${size}/${extra}/${gone}/$${colour}", defs,
                                           {{"red", "blue"}, {}});
    EXPECT_EQ(filled.text, "red, blue////${colour}");  // "extra" had no value list
    ASSERT_EQ(filled.definitions.size(), 2u);
    EXPECT_EQ(filled.definitions[0].remembered_values, (std::vector<std::string>{"red", "blue"}));
    EXPECT_EQ(filled.definitions[0].options, (std::vector<std::string>{"red", "green", "blue"}));
    EXPECT_TRUE(filled.definitions[1].remembered_values.empty());

    const Substitution none_checked = substitute("[${colour}]", defs, {{}});
    EXPECT_EQ(none_checked.text, "[]");
    EXPECT_TRUE(none_checked.definitions[0].remembered_values.empty());
}

TEST(Substitute, UsesValuesExactlyAsGiven) {
    const std::vector<VariableDefinition> defs{variable("n", VariableKind::Number),
                                               variable("t", VariableKind::FreeText)};
    // The fill-in dialog trims a Number and leaves free text as typed.
    EXPECT_EQ(substitute("${n}|${t}", defs, {{"42"}, {" 42 "}}).text, "42| 42 ");
}

}  // namespace
}  // namespace korvane
