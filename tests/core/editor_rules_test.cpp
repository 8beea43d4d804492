#include <gtest/gtest.h>

#include "core/editor_rules.hpp"

namespace korvane {
namespace {

TEST(EditorLayout, ClientHeightIs332WithTheTextFieldAnd104Without) {
    const EditorLayout with_text = layout_text_editor(true, 96);
    EXPECT_EQ(with_text.client_width, 440);
    EXPECT_EQ(with_text.client_height, 332);
    EXPECT_EQ(with_text.ok, (box(252, 294, 84, 26)));
    EXPECT_EQ(with_text.cancel, (box(344, 294, 84, 26)));
    ASSERT_TRUE(with_text.text_field);
    EXPECT_EQ(*with_text.text_field, (box(12, 84, 416, 180)));
    EXPECT_EQ(with_text.hint->top, 268);

    const EditorLayout name_only = layout_text_editor(false, 96);
    EXPECT_EQ(name_only.client_height, 104);
    EXPECT_EQ(name_only.ok.top, 66);
    EXPECT_FALSE(name_only.text_label || name_only.text_field || name_only.hint);
    EXPECT_EQ(name_only.name_field, (box(12, 30, 416, 24)));
}

TEST(EditorLayout, ScalesEachQuantityOnItsOwn) {
    // 26 DIPs at 120 dpi are 32 pixels (32.5 truncated): 367 + 32 + 15, not 332 × 1.25 = 415.
    EXPECT_EQ(layout_text_editor(true, 120).client_height, 367 + 32 + 15);
    EXPECT_EQ(layout_text_editor(false, 144).client_height, 99 + 39 + 18);
}

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
