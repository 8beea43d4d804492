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

TEST(CaptureSettings, PauseAndTheProgramListAreWrittenOnlyWhenSetAndReadBack) {
    const Settings paused{.capture_paused = true};
    EXPECT_EQ(format_settings(paused), "edge=right\r\nminimized=false\r\ncapture=paused\r\n");
    const Settings listed{.ignored_programs = {"vault.exe", "KeePass.exe"}};
    EXPECT_EQ(format_settings(listed), "edge=right\r\nminimized=false\r\nignore=vault.exe|KeePass.exe\r\n");
    const Settings all{.dock_right = false, .shortcut = {}, .capture_paused = true, .ignored_programs = {"a.exe"}};
    EXPECT_EQ(format_settings(all), "edge=left\r\nminimized=false\r\nshortcut=off\r\ncapture=paused\r\nignore=a.exe\r\n");
    for (const Settings& s : {paused, listed, all}) EXPECT_EQ(parse_settings(format_settings(s)), s);

    const std::pair<const char*, bool> pause_lines[] = {
        {"capture=paused\n", true},  {"capture = paused \r\n", true}, {"capture=Paused\n", false},
        {"capture=yes\n", false},    {"capture=paused\ncapture=on\n", false}, {"Capture=paused\n", false}};
    for (const auto& [content, paused_read] : pause_lines)
        EXPECT_EQ(parse_settings(content).capture_paused, paused_read) << content;
}

TEST(CaptureSettings, ProgramNamesAreTrimmedFileNamesWithoutRepeats) {
    using Names = std::vector<std::string>;
    const std::pair<const char*, Names> cases[] = {
        {"vault.exe|keepass.exe", {"vault.exe", "keepass.exe"}},
        {" vault.exe \r\n\r\n\tKeePass.exe\n", {"vault.exe", "KeePass.exe"}},
        {"vault.exe|VAULT.EXE|Vault.Exe", {"vault.exe"}},
        {"C:\\Tools\\vault.exe|bin/vault.exe|va*lt.exe|a:b.exe|.|..|ok.exe", {"ok.exe"}},
        {"tab\x01name.exe|\xFF.exe|caf\xC3\xA9.exe", {"caf\xC3\xA9.exe"}},
        {"||  |", {}},
    };
    for (const auto& [text, names] : cases) EXPECT_EQ(parse_program_names(text), names) << text;
    EXPECT_EQ(parse_program_names(std::string(MAX_PROGRAM_NAME, 'a')).size(), 1u);
    EXPECT_TRUE(parse_program_names(std::string(MAX_PROGRAM_NAME + 1, 'a')).empty());
    std::string many;
    for (size_t i = 0; i < MAX_IGNORED_PROGRAMS + 5; ++i) many += std::to_string(i) + ".exe|";
    const Names kept = parse_program_names(many);
    ASSERT_EQ(kept.size(), MAX_IGNORED_PROGRAMS);
    EXPECT_EQ(kept.back(), std::to_string(MAX_IGNORED_PROGRAMS - 1) + ".exe");
    // The settings line: a later one replaces the list, and one that names nothing empties it.
    EXPECT_EQ(parse_settings("ignore=a.exe\nignore=b.exe|c:d\n").ignored_programs, Names{"b.exe"});
    EXPECT_TRUE(parse_settings("ignore=a.exe\nignore=\n").ignored_programs.empty());
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
