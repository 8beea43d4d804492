#include <gtest/gtest.h>

#include "core/text.hpp"

namespace korvane {
namespace {

TEST(Utf16ToUtf8, ReplacesEachUnpairedSurrogate) {
    EXPECT_EQ(utf16_to_utf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(utf16_to_utf8(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, u'\xD83D')), "\xEF\xBF\xBD");  // high surrogate at the end
}

TEST(Utf16ToUtf8, EncodesEveryLength) {
    EXPECT_EQ(utf16_to_utf8(u"A\u00E9\u20AC\U0001F600"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16_to_utf8(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(Utf8ToUtf16, RoundTripsAndReplacesInvalidBytes) {
    EXPECT_EQ(utf8_to_utf16("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"A\u00E9\u20AC\U0001F600");
    EXPECT_EQ(utf8_to_utf16("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(utf8_to_utf16("\xE2\x82"), u"\uFFFD\uFFFD");  // truncated sequence
}

TEST(Utf8ToUtf16, CountsTheUnitsItWouldMake) {
    for (const char* text : {"", "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "a\xFFz", "\xE2\x82", "\xF0\x9F\x98"})
        EXPECT_EQ(utf16_length(text), utf8_to_utf16(text).size()) << text;
}

TEST(IsValidUtf8, RejectsMalformedSequences) {
    EXPECT_TRUE(is_valid_utf8(""));
    EXPECT_TRUE(is_valid_utf8("plain \xC3\xA9 \xF4\x8F\xBF\xBF"));  // U+10FFFF is the last
    for (const char* bad : {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xC3",
                            "\xF8\x88\x80\x80\x80", "\xFF"})
        EXPECT_FALSE(is_valid_utf8(bad)) << bad;
}

TEST(Trim, RemovesUnicodeWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(trim(" \t\r\n a b \v\f"), "a b");
    EXPECT_EQ(trim("\xC2\x85\xC2\xA0x\xE3\x80\x80\xE2\x80\xAF"), "x");  // U+0085, U+00A0, U+3000, U+202F
    EXPECT_EQ(trim("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx");                   // U+200B is not white space
    EXPECT_EQ(trim("\xE1\x9A\x80\xE2\x80\x8A\xE2\x80\xA8\xE2\x80\xA9\xE2\x81\x9F"), "");
    EXPECT_EQ(trim("   "), "");
}

}  // namespace
}  // namespace korvane
