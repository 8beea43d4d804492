#include <gtest/gtest.h>

#include "core/icon_fit.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

TEST(FitIcon, CentresTheImageScaledToTheSquare) {
    EXPECT_EQ(fit_icon(200, 100), (box(0, 24, 96, 48)));
    EXPECT_EQ(fit_icon(1, 1), (box(0, 0, 96, 96)));
    EXPECT_EQ(fit_icon(1000, 1), (box(0, 48, 96, 1)));  // 0.096 high, raised to 1
    EXPECT_EQ(fit_icon(48, 96), (box(24, 0, 48, 96)));
    EXPECT_EQ(fit_icon(30, 20), (box(0, 16, 96, 64)));   // small images grow
    EXPECT_EQ(fit_icon(3, 2), (box(0, 16, 96, 64)));
}

TEST(IconFileReader, SvgIsChosenByAThreeLetterExtensionInAnyCase) {
    EXPECT_TRUE(is_svg_path(u"C:\\icons\\cat.svg"));
    EXPECT_TRUE(is_svg_path(u"C:\\icons\\CAT.SVG"));
    EXPECT_TRUE(is_svg_path(u"C:\\icons.d\\cat.Svg"));
    EXPECT_FALSE(is_svg_path(u"C:\\icons\\cat.svgz"));
    EXPECT_FALSE(is_svg_path(u"C:\\icons\\cat"));
    EXPECT_FALSE(is_svg_path(u"C:\\icons.svg\\cat"));
    EXPECT_FALSE(is_svg_path(u"C:\\icons\\.svg"));  // a leading dot starts the name, not an extension
    EXPECT_TRUE(is_svg_path(u"C:\\icons\\a.b.svg"));
    EXPECT_EQ(file_name_of(u"C:\\icons\\cat.svg"), u"cat.svg");
    EXPECT_EQ(file_name_of(u"C:\\icons\\"), u"");
    EXPECT_EQ(file_name_of(u"cat.png"), u"cat.png");
}

}  // namespace
}  // namespace korvane
