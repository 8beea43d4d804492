#include <gtest/gtest.h>

#include "core/settings.hpp"

namespace korvane {
namespace {

struct SettingsCase {
    const char* content;
    bool dock_right;
    bool minimized;
};

class ParseSettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(ParseSettings, ReadsEachValueOrKeepsItsDefault) {
    const SettingsCase& c = GetParam();
    const Settings s = parse_settings(c.content);
    EXPECT_EQ(s.dock_right, c.dock_right) << c.content;
    EXPECT_EQ(s.minimized, c.minimized) << c.content;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseSettings,
    testing::Values(SettingsCase{"", true, false}, SettingsCase{"edge=left\r\nminimized=true\r\n", false, true},
                    SettingsCase{"  edge  =  left \t\r\n", false, false},
                    SettingsCase{"EDGE=left\nedge=LEFT\n", true, false},
                    SettingsCase{"minimized=yes\n", true, false}, SettingsCase{"minimized=True\n", true, false},
                    SettingsCase{"minimized=true\nminimized=no\n", true, false},
                    SettingsCase{"edge=left\nedge=right\n", true, false},
                    SettingsCase{"edge=le=ft\n", true, false}, SettingsCase{"edge=left", false, false},
                    SettingsCase{"edge left\nminimized=true", true, true},
                    SettingsCase{"edge=up\nminimized=\xE2\x80\x83true\xC2\xA0", true, true},
                    SettingsCase{"edge=left\r\nminimized=true\r\n\xFF", true, false},
                    SettingsCase{"minimized=true\r", true, true}));

TEST(FormatSettings, WritesTheExactBytes) {
    EXPECT_EQ(format_settings({}), "edge=right\r\nminimized=false\r\n");
    EXPECT_EQ(format_settings({}).size(), 29u);
    const std::string left_minimized = format_settings({.dock_right = false, .minimized = true});
    EXPECT_EQ(left_minimized, "edge=left\r\nminimized=true\r\n");
    EXPECT_EQ(left_minimized.size(), 27u);
    for (const Settings s : {Settings{true, true}, Settings{false, false}}) EXPECT_EQ(parse_settings(format_settings(s)), s);
}

}  // namespace
}  // namespace korvane
