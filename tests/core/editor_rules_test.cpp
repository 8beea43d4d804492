#include <gtest/gtest.h>

#include "core/editor_rules.hpp"

namespace korvane {
namespace {

struct BreakCase {
    const char* text;
    const char* shown;
};

class LineBreaks : public testing::TestWithParam<BreakCase> {};

TEST_P(LineBreaks, BecomeCrLfExceptALoneCr) { EXPECT_EQ(crlf_line_breaks(GetParam().text), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Cases, LineBreaks,
                         testing::Values(BreakCase{"a\r\nb", "a\r\nb"}, BreakCase{"a\nb", "a\r\nb"},
                                         BreakCase{"a\rb", "a\rb"}, BreakCase{"\n\n", "\r\n\r\n"},
                                         BreakCase{"a\r\r\nb", "a\r\r\nb"}, BreakCase{"a\n\r\nb\r", "a\r\n\r\nb\r"},
                                         BreakCase{"", ""}, BreakCase{"\xC3\xA9\n", "\xC3\xA9\r\n"}));

TEST(EditorName, IsTrimmedAndAbsentWhenOnlyWhiteSpaceRemains) {
    EXPECT_EQ(editor_name("   "), std::nullopt);
    EXPECT_EQ(editor_name(""), std::nullopt);
    EXPECT_EQ(editor_name("\xE3\x80\x80\t"), std::nullopt);
    EXPECT_EQ(editor_name("  Home address "), "Home address");
}

}  // namespace
}  // namespace korvane
