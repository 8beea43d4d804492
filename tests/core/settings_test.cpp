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

TEST(ShortcutSetting, IsWrittenOnlyWhenItIsNotTheDefault) {
    EXPECT_EQ(format_settings({.shortcut = DEFAULT_SHORTCUT}).size(), 29u);
    const Settings changed{.dock_right = false, .minimized = true, .shortcut = {SHORTCUT_CTRL | SHORTCUT_SHIFT, 'K'}};
    EXPECT_EQ(format_settings(changed), "edge=left\r\nminimized=true\r\nshortcut=Ctrl+Shift+K\r\n");
    EXPECT_EQ(parse_settings(format_settings(changed)), changed);
    const Settings off{.shortcut = {}};
    EXPECT_EQ(format_settings(off), "edge=right\r\nminimized=false\r\nshortcut=off\r\n");
    EXPECT_EQ(parse_settings(format_settings(off)), off);
    // Older files, and lines this version cannot read, keep the default.
    EXPECT_EQ(parse_settings("edge=left\r\n").shortcut, DEFAULT_SHORTCUT);
    EXPECT_EQ(parse_settings("shortcut=Ctrl+Hyper+K\r\n").shortcut, DEFAULT_SHORTCUT);
}

TEST(ShortcutText, NamesEveryKindOfKeyAndReadsItBack) {
    const std::pair<Shortcut, const char*> cases[] = {
        {DEFAULT_SHORTCUT, "Win+Alt+V"},
        {{SHORTCUT_WIN | SHORTCUT_CTRL | SHORTCUT_ALT | SHORTCUT_SHIFT, '7'}, "Win+Ctrl+Alt+Shift+7"},
        {{SHORTCUT_CTRL, 0x70}, "Ctrl+F1"},
        {{SHORTCUT_CTRL, 0x87}, "Ctrl+F24"},
        {{SHORTCUT_ALT, 0x20}, "Alt+Space"},
        {{SHORTCUT_CTRL | SHORTCUT_SHIFT, 0x2D}, "Ctrl+Shift+Insert"},
        {{SHORTCUT_ALT, 0x69}, "Alt+Num9"},
        {{SHORTCUT_CTRL, 0xBA}, "Ctrl+Key0xBA"},
        {{0, 'Q'}, "Q"},
        {{}, "off"},
    };
    for (const auto& [shortcut, text] : cases) {
        EXPECT_EQ(shortcut_text(shortcut), text);
        EXPECT_EQ(parse_shortcut(text), shortcut) << text;
    }
    EXPECT_EQ(parse_shortcut("ctrl+shift+k"), (Shortcut{SHORTCUT_CTRL | SHORTCUT_SHIFT, 'K'}));
    EXPECT_EQ(parse_shortcut("OFF"), Shortcut{});
    for (const char* bad : {"", "Ctrl+", "Ctrl+Ctrl+K", "Hyper+K", "Ctrl+F25", "Ctrl+F0", "Ctrl+Key0x00", "Ctrl+KK",
                            "Ctrl+Key0x1FF", "Ctrl+!", "+K"})
        EXPECT_FALSE(parse_shortcut(bad).has_value()) << bad;
}

}  // namespace
}  // namespace korvane
