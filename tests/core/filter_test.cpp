#include <gtest/gtest.h>

#include <functional>

#include "core/filter.hpp"
#include "search_cases.hpp"

namespace korvane {
namespace {

Clip clip_of(ClipContent content, std::optional<std::string> name = std::nullopt) {
    Clip clip;
    clip.content = std::move(content);
    clip.name = std::move(name);
    return clip;
}

TEST(TypeToFilter, FindsTextNamesAndFileNamesWithoutRegardToCase) {
    const Clip text = clip_of(ClipContent::make_text("Dear Ann, the \xC3\x84PFEL are ready"));
    EXPECT_TRUE(clip_matches(text, "dear"));
    EXPECT_TRUE(clip_matches(text, "ANN, THE"));
    EXPECT_TRUE(clip_matches(text, "\xC3\xA4pfel"));  // a capital umlaut found by its small letter
    EXPECT_FALSE(clip_matches(text, "bob"));
    EXPECT_TRUE(clip_matches(text, ""));

    const Clip files = clip_of(ClipContent::make_files({u"C:\\Users\\ann\\Report.PDF", u"D:\\x\\notes.txt"}));
    EXPECT_TRUE(clip_matches(files, "report.pdf"));
    EXPECT_TRUE(clip_matches(files, "NOTES"));
    EXPECT_FALSE(clip_matches(files, "users"));  // folders on the way are not the file's name

    const Clip picture = clip_of(ClipContent::make_image(Bytes(100, 'a')), std::string("Holiday \xCE\xA3"));
    EXPECT_TRUE(clip_matches(picture, "HOLIDAY \xCF\x83"));  // Greek capital sigma by its small letter
    EXPECT_FALSE(clip_matches(picture, "aaa"));               // a picture's bytes are never searched
    EXPECT_FALSE(clip_matches(clip_of(ClipContent::make_image(Bytes(100, 'a'))), "a"));
}

TEST(TypeToFilter, IgnoresAccentsAndCaseInSeveralScriptsAsWindowsSearchDoes) {
    for (const search_cases::Case& c : search_cases::CASES)
        EXPECT_EQ(clip_matches(clip_of(ClipContent::make_text(c.text)), c.typed), c.found) << c.text << " / " << c.typed;
    // An accent typed apart from its letter (a combining mark) is ignored as well.
    EXPECT_TRUE(clip_matches(clip_of(ClipContent::make_text("cafe\xCC\x81")), "caf\xC3\xA9"));
    EXPECT_EQ(strip_accent(U'\u00F8'), U'\u00F8');  // ø is a letter of its own, not an o with an accent
}

TEST(TypeToFilter, MatchesAcrossRepetitionsInOnePass) {
    // The typed text overlaps itself: a scan that restarted after a partial match would miss it.
    EXPECT_TRUE(clip_matches(clip_of(ClipContent::make_text("aaab")), "aab"));
    EXPECT_TRUE(clip_matches(clip_of(ClipContent::make_text("abababc")), "ababc"));
    EXPECT_FALSE(clip_matches(clip_of(ClipContent::make_text("ababab")), "ababc"));
    // Supplementary characters are whole characters, not two halves.
    EXPECT_TRUE(clip_matches(clip_of(ClipContent::make_text("x\xF0\x9F\x98\x80y")), "\xF0\x9F\x98\x80Y"));
}

TEST(TypeToFilter, SearchesOnlyTheStartOfAHugeText) {
    std::string text(SEARCHED_TEXT_BYTES - 3, '.');
    text += "near" + std::string(100, '.') + "far";
    EXPECT_TRUE(clip_matches(clip_of(ClipContent::make_text(text)), "ne"));
    EXPECT_FALSE(clip_matches(clip_of(ClipContent::make_text(text)), "far"));
}

TEST(TypeToFilter, KeepsTheShownClipsInTheStoresOrder) {
    ClipStore store;
    for (const char* t : {"apple", "banana", "grape"}) record_capture(store, ClipContent::make_text(t));
    add_pin(store, ClipContent::make_text("pineapple"), std::nullopt, {});
    add_pin(store, ClipContent::make_text("cherry"), std::nullopt, {});
    const ShownClips shown = shown_clips(store, "AP");  // Recent: grape banana apple
    EXPECT_EQ(shown.recent, (std::vector<size_t>{0, 2}));
    EXPECT_EQ(shown.pins, (std::vector<size_t>{0}));
    EXPECT_EQ(shown_clip(store, shown, Area::Recent, 1)->content.text, "apple");
    EXPECT_EQ(shown_clip(store, shown, Area::Recent, 2), nullptr);
    const ShownClips all = shown_clips(store, "");
    EXPECT_EQ(all.recent.size(), 3u);
    EXPECT_EQ(all.pins.size(), 2u);
}

// The remembered list must be what a fresh search gives after any change of the clips, and
// search again only after one.
TEST(TypeToFilter, RemembersTheShownClipsUntilTheTextOrAClipChanges) {
    ClipStore store;
    for (const char* t : {"apple", "banana", "grape"}) record_capture(store, ClipContent::make_text(t));
    add_pin(store, ClipContent::make_text("pineapple"), std::nullopt, {});
    RememberedClips remembered;
    struct Change {
        const char* what;
        std::function<void()> change;
        std::string typed;
        bool searches_again;
    };
    const Change changes[] = {
        {"first call", [] {}, "ap", true},
        {"nothing changed", [] {}, "ap", false},
        {"more typed", [] {}, "app", true},
        {"a capture", [&] { record_capture(store, ClipContent::make_text("apple pie")); }, "app", true},
        {"a text edited", [&] { set_text(store.recent[1], "grapefruit"); }, "app", true},
        {"a clip renamed", [&] { set_name(store.recent[2], std::string("Apple")); }, "app", true},
        {"a pin unpinned", [&] { unpin_clip(store, 0); }, "app", true},
        {"a clip deleted", [&] { delete_clip(store, {Area::Recent, 0}); }, "app", true},
        {"again unchanged", [] {}, "app", false},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        c.change();
        const uint64_t before = remembered.searches;
        const ShownClips shown = shown_clips(remembered, store, c.typed);
        const ShownClips fresh = shown_clips(store, c.typed);
        EXPECT_EQ(shown.recent, fresh.recent);
        EXPECT_EQ(shown.pins, fresh.pins);
        EXPECT_EQ(remembered.searches - before, c.searches_again ? 1u : 0u);
    }
    EXPECT_EQ(shown_clips(remembered, store, "").recent.size(), store.recent.size());  // nothing typed: every clip
}

TEST(FoldCase, PairsCapitalsWithTheirSmallLetters) {
    const std::pair<char32_t, char32_t> pairs[] = {
        {U'Q', U'q'},     {0xC9, 0xE9},   {0xD7, 0xD7},   {0xDF, 0xDF},   {0x100, 0x101}, {0x101, 0x101},
        {0x139, 0x13A},   {0x178, 0xFF},  {0x17D, 0x17E}, {0x130, U'i'},  {0x391, 0x3B1}, {0x3A3, 0x3C3},
        {0x3C2, 0x3C3},   {0x388, 0x3AD}, {0x401, 0x451}, {0x416, 0x436}, {0x460, 0x461}, {0x4C1, 0x4C2},
        {0x531, 0x561},   {U'7', U'7'},   {0x4E00, 0x4E00},
    };
    for (const auto& [capital, small] : pairs) EXPECT_EQ(fold_case(capital), small) << std::hex << uint32_t(capital);
}

}  // namespace
}  // namespace korvane
