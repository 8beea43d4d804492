#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <utility>

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

TEST(Templates, TheFirstOfTwoDefinitionsWithOneNameIsTheOneUsed) {
    const std::vector<VariableDefinition> defs{variable("a", VariableKind::Number, {}, {"1"}),
                                               variable("a", VariableKind::FreeText, {}, {"2"})};
    const SyncedVariables synced = sync_variables("${a}", defs);
    ASSERT_EQ(synced.definitions.size(), 1u);
    EXPECT_EQ(synced.definitions[0].kind, VariableKind::Number);
    EXPECT_EQ(substitute("${a}", defs, {{"first"}, {"second"}}).text, "first");
}

// 100,000 placeholders of a 30,000-character value would be 3 GB: refused before any is built.
TEST(Templates, ATextBeyondTheLimitIsRefusedBeforeItIsBuilt) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "${v}";
    const std::vector<VariableDefinition> defs = sync_variables(text, {}).definitions;
    const Substitution huge = substitute(text, defs, {{std::string(30000, 'x')}}, 0x10000000);
    EXPECT_TRUE(huge.too_long);
    EXPECT_TRUE(huge.text.empty());
    EXPECT_TRUE(huge.definitions.empty());

    const Substitution at_limit = substitute("ab${v}", defs, {{"cd"}}, 4);
    EXPECT_FALSE(at_limit.too_long);
    EXPECT_EQ(at_limit.text, "abcd");
    EXPECT_TRUE(substitute("ab${v}", defs, {{"cde"}}, 4).too_long);
}

// The fastest of five runs of each, taken in turns so that a busy moment of the machine weighs
// on both sizes alike: what each costs when the machine lets it run.
template <class Small, class Large>
std::pair<double, double> fastest_runs(Small small, Large large) {
    double best_small = 1e300, best_large = 1e300;
    const auto timed = [](auto& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (int run = 0; run < 5; ++run) {
        best_small = std::min(best_small, timed(small));
        best_large = std::min(best_large, timed(large));
    }
    return {best_small, best_large};
}

// Sixteen times the input may cost sixteen times as much, not 256: the ratio of two sizes in
// one run says whether the cost grows with the square of the text, whatever the machine's
// speed.  The margin of 4 is far from both.
constexpr int GROWTH = 16;
constexpr double LINEAR_GROWTH_LIMIT = GROWTH * 4.0;

std::string numbered_placeholders(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "${v" + std::to_string(i) + "}.";
    return text;
}

void sync_and_substitute(const std::string& text, int count) {
    const SyncedVariables synced = sync_variables(text, {});
    ASSERT_EQ(synced.definitions.size(), size_t(count));
    std::vector<ValueList> values;
    std::string expected;
    for (int i = 0; i < count; ++i) {
        values.push_back({std::to_string(i)});
        expected += std::to_string(i) + ".";
    }
    EXPECT_EQ(substitute(text, synced.definitions, values).text, expected);
    EXPECT_EQ(sync_variables(text, synced.definitions).definitions.size(), size_t(count));
}

// A pin holds whatever was copied: with one scan of the names per lookup, 100,000 placeholders
// took minutes; looked up by hash the cost grows with the text.
TEST(Templates, ManyPlaceholdersCostTimeInProportionToTheText) {
    const std::string small = numbered_placeholders(2500);
    const std::string large = numbered_placeholders(2500 * GROWTH);
    const auto [small_time, large_time] = fastest_runs([&] { sync_and_substitute(small, 2500); },
                                                       [&] { sync_and_substitute(large, 2500 * GROWTH); });
    EXPECT_LT(large_time, small_time * LINEAR_GROWTH_LIMIT) << small_time << " s, then " << large_time << " s";
}

std::string unclosed_openings(int count, bool one_close) {
    std::string text;
    for (int i = 0; i < count; ++i) text += one_close ? "${" : "${a";
    if (one_close) text += std::string(size_t(count), ' ') + "}";
    return text;
}

// Each "${" that opens nothing is scanned past again; looking for its "}" and its name each
// time made 100,000 of them take minutes.
TEST(Templates, ManyUnclosedOpeningsCostTimeInProportionToTheText) {
    const std::string before_one_close = unclosed_openings(100000, true);
    const std::string never_closed = unclosed_openings(100000, false);
    std::string joined;
    for (const Segment& segment : parse_template(before_one_close)) {
        EXPECT_EQ(segment.type, Segment::Type::Literal);
        joined += segment.text;
    }
    EXPECT_EQ(joined, before_one_close);
    EXPECT_TRUE(placeholder_names(never_closed).empty());
    EXPECT_EQ(parse_template(never_closed).size(), 100001u);

    // Timed only in the native run: under Wine, fresh memory for the segments weighs on the larger
    // run enough to blur linear from quadratic (8 times the text cost 28 times as much, and on a
    // loaded machine 4 times the text cost 10.1 times as much).
#ifndef _WIN32
    for (bool one_close : {true, false}) {
        const std::string small = unclosed_openings(5000, one_close);
        const std::string large = unclosed_openings(5000 * GROWTH, one_close);
        const auto [small_time, large_time] = fastest_runs([&] { parse_template(small); }, [&] { parse_template(large); });
        EXPECT_LT(large_time, small_time * LINEAR_GROWTH_LIMIT) << one_close << ": " << small_time << " s, then " << large_time << " s";
    }
#endif
}

}  // namespace
}  // namespace korvane
