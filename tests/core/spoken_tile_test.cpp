#include <gtest/gtest.h>

#include "core/spoken_tile.hpp"
#include "dib_builder.hpp"

namespace korvane {
namespace {

std::string repeat(std::string_view piece, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += piece;
    return out;
}

Clip text_clip(std::string text, std::optional<std::string> name = std::nullopt) {
    Clip clip;
    clip.content = ClipContent::make_text(std::move(text));
    clip.name = std::move(name);
    return clip;
}

Clip files_clip(std::vector<FilePath> paths, bool missing = false) {
    Clip clip;
    clip.content = ClipContent::make_files(std::move(paths));
    clip.cache.missing_files = missing ? 1 : 0;
    return clip;
}

const std::string ELLIPSIS = "\xE2\x80\xA6";
const std::string WORDS = repeat("word ", 30);  // 150 characters, a space every fifth

TEST(SpokenTile, TheNameIsTheFirstLineUpToEightyCharactersAndTheValueTheRest) {
    struct Case {
        const char* what;
        Clip clip;
        std::string name;
        std::string value;
    };
    Clip formatted = text_clip("bold text");
    formatted.content.companions.push_back({"HTML Format", Bytes{1}});
    Clip template_pin = text_clip("Dear ${who}", std::string("Letter"));
    template_pin.variables = {VariableDefinition{.name = "who"}, VariableDefinition{.name = "when"}};
    Clip picture;
    picture.content = ClipContent::make_image(test::dib_with_header(640, -480, 44));
    Clip named_picture;
    named_picture.content = ClipContent::make_image(Bytes{1, 2, 3});
    named_picture.name = "Holiday";
    Case cases[] = {
        {"one short line", text_clip("  hello  "), "hello", ""},
        {"several lines", text_clip("first line\r\nsecond\nthird  \n"), "first line", "second\nthird"},
        {"eighty fit", text_clip(repeat("x", 80)), repeat("x", 80), ""},
        {"a long word is cut where it reaches eighty", text_clip(repeat("x", 100)), repeat("x", 80) + ELLIPSIS,
         repeat("x", 20)},
        {"words are cut at a space", text_clip(WORDS), WORDS.substr(0, 79) + ELLIPSIS, WORDS.substr(80, 69)},
        {"characters, not bytes", text_clip(repeat("\xC3\xA9", 81)), repeat("\xC3\xA9", 80) + ELLIPSIS, "\xC3\xA9"},
        {"the value is capped", text_clip("a\n" + repeat("y", 1500)), "a", repeat("y", 1000) + ELLIPSIS},
        {"formatting is said", std::move(formatted), "bold text, formatted", ""},
        {"a name, then the text and what it asks for", std::move(template_pin), "Letter",
         "Dear ${who}\nAsks for: who, when"},
        {"a picture", std::move(picture), "Picture, 640 \xC3\x97 480", ""},
        {"a named picture", std::move(named_picture), "Holiday", "Picture"},
        {"one file", files_clip({u"C:\\a\\one.txt"}), "one.txt", "C:\\a\\one.txt"},
        {"a folder and more", files_clip({u"C:\\data\\photos\\", u"C:\\b"}), "photos and 1 more file",
         "C:\\data\\photos\\\nC:\\b"},
        {"a drive", files_clip({u"C:\\"}), "C:", "C:\\"},
        {"files gone", files_clip({u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"}, true),
         "a.txt and 2 more files (some files no longer exist)", "C:\\a.txt\nC:\\b.txt\nC:\\c.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SpokenTile spoken = spoken_tile(c.clip);
        EXPECT_EQ(spoken.name, c.name);
        EXPECT_EQ(spoken.value, c.value);
    }
}

TEST(SpokenTile, AFileListsValueHasEightPathsAndCountsTheRest) {
    std::vector<FilePath> paths;
    for (char16_t c = u'a'; c < u'a' + 11; ++c) paths.push_back(u"C:\\" + std::u16string(1, c));
    const SpokenTile spoken = spoken_tile(files_clip(paths));
    EXPECT_EQ(spoken.name, "a and 10 more files");
    EXPECT_EQ(spoken.value, "C:\\a\nC:\\b\nC:\\c\nC:\\d\nC:\\e\nC:\\f\nC:\\g\nC:\\h\nand 3 more");
}

TEST(SpokenTile, AHugeTextGivesAsShortANameAndValueAsASmallOne) {
    const SpokenTile spoken = spoken_tile(text_clip(std::string(size_t{64} << 20, 'z')));
    EXPECT_EQ(spoken.name, repeat("z", 80) + ELLIPSIS);
    EXPECT_EQ(spoken.value, repeat("z", 1000) + ELLIPSIS);
}

}  // namespace
}  // namespace korvane
