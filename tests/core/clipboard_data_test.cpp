#include <gtest/gtest.h>

#include "core/clipboard_data.hpp"

namespace korvane {
namespace {

TEST(UnicodeTextBlock, IsUtf16WithOneTerminatingZeroUnit) {
    EXPECT_EQ(encode_unicode_text("ab"), (Bytes{0x61, 0, 0x62, 0, 0, 0}));
    EXPECT_EQ(encode_unicode_text(""), (Bytes{0, 0}));
    EXPECT_EQ(encode_unicode_text("\xF0\x9F\x98\x80"), (Bytes{0x3D, 0xD8, 0x00, 0xDE, 0, 0}));  // a surrogate pair
}

TEST(UnicodeTextBlock, ReadsWholeUnitsUpToTheFirstZero) {
    EXPECT_EQ(decode_unicode_text(Bytes{0x61, 0, 0x62, 0, 0, 0, 0x63, 0}), "ab");
    EXPECT_EQ(decode_unicode_text(Bytes{0x61, 0, 0x62}), "a");           // odd last byte ignored
    EXPECT_EQ(decode_unicode_text(Bytes{0x61, 0, 0x62, 0}), "ab");       // no terminator: taken whole
    EXPECT_EQ(decode_unicode_text(Bytes{0x00, 0xD8, 0x7A, 0}), "\xEF\xBF\xBDz");  // unpaired surrogate
    EXPECT_EQ(decode_unicode_text(Bytes{}), "");
}

TEST(UnicodeTextBlock, IsBlankWhenItsTextIsOnlyWhiteSpaceUpToTheFirstZero) {
    EXPECT_TRUE(unicode_text_is_blank(Bytes{}));
    EXPECT_TRUE(unicode_text_is_blank(Bytes{0, 0, 'a', 0}));  // the text ends before the letter
    EXPECT_TRUE(unicode_text_is_blank(encode_unicode_text(" \t\r\n\u3000\u2029")));
    EXPECT_TRUE(unicode_text_is_blank(Bytes{' ', 0, 'a'}));  // an odd last byte is no unit
    EXPECT_FALSE(unicode_text_is_blank(encode_unicode_text("  a ")));
    EXPECT_FALSE(unicode_text_is_blank(Bytes{0x00, 0xD8}));  // a lone surrogate decodes to U+FFFD
    EXPECT_FALSE(unicode_text_is_blank(encode_unicode_text("\u200B")));  // zero width, yet not White_Space
}

TEST(DropBlock, HasTheFixedHeaderAndZeroTerminatedWidePaths) {
    const Bytes block = encode_drop_block({u"D:\\a.txt", u"E:\\b"});
    ASSERT_EQ(block.size(), 50u);  // 20 + 2 * (8 + 1 + 4 + 1 + 1)
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 20), (Bytes{20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(Bytes(block.begin() + 20, block.begin() + 38),
              (Bytes{'D', 0, ':', 0, '\\', 0, 'a', 0, '.', 0, 't', 0, 'x', 0, 't', 0, 0, 0}));
    EXPECT_EQ(Bytes(block.end() - 4, block.end()), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(encode_drop_block({}).size(), 22u);
    const Bytes odd = encode_drop_block({std::u16string(1, u'\xDC00')});
    EXPECT_EQ(Bytes(odd.begin() + 20, odd.end()), (Bytes{0x00, 0xDC, 0, 0, 0, 0}));  // kept as it was
}

}  // namespace
}  // namespace korvane
