#include <gtest/gtest.h>

#include <set>

#include "core/store.hpp"

namespace korvane {

// The tests' stand-in for the drawing layer's handles: counts how often it is released.
struct TileCache {
    int* releases;
};

namespace {

void release_counted(TileCache* cache) {
    ++*cache->releases;
    delete cache;
}

ClipContent text(const std::string& t) { return ClipContent::make_text(t); }

std::vector<std::string> recent_texts(const ClipStore& store) {
    std::vector<std::string> out;
    for (const Clip& c : store.recent) out.push_back(c.content.text);
    return out;
}

std::vector<std::string> pin_texts(const ClipStore& store) {
    std::vector<std::string> out;
    for (const Clip& c : store.pins) out.push_back(c.content.text);
    return out;
}

// A store with the given texts as pins (in order) and then captured into Recent (the last
// captured is the newest).
ClipStore make_store(const std::vector<std::string>& pins, const std::vector<std::string>& captured) {
    ClipStore store;
    for (const std::string& p : pins) add_pin(store, text(p), std::nullopt, {});
    for (const std::string& c : captured) record_capture(store, text(c));
    return store;
}

std::vector<std::string> numbered(const char* prefix, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

TEST(ClipIds, AreIncreasingAndNeverReused) {
    const ClipId a = next_clip_id();
    const ClipId b = next_clip_id();
    EXPECT_GE(a, 1u);
    EXPECT_EQ(b, a + 1);
}

TEST(CaptureRule, CopyingTheSameTextTwiceKeepsOneClipWithItsIdentity) {
    ClipStore store = make_store({}, {"a"});
    const ClipId id = store.recent[0].id;
    const unsigned animal = store.recent[0].animal_index;
    record_capture(store, text("a"));
    ASSERT_EQ(store.recent.size(), 1u);
    EXPECT_EQ(store.recent[0].id, id);
    EXPECT_EQ(store.recent[0].animal_index, animal);
}

TEST(CaptureRule, ContentEqualToAPinChangesNothing) {
    ClipStore store = make_store({"pinned"}, {"x", "y"});
    record_capture(store, text("pinned"));
    EXPECT_EQ(recent_texts(store), (std::vector<std::string>{"y", "x"}));
}

// A Recent clip can hold what a pin holds (a pin's text edited to match it, say); the pins are
// looked at first, so the copy leaves the Recent list as it is.
TEST(CaptureRule, ContentOfBothAPinAndARecentClipLeavesRecentAsItIs) {
    ClipStore store = make_store({"both"}, {"x", "y"});
    record_capture(store, text("older"));
    set_text(store.recent[2], "both");  // Recent: older y both
    record_capture(store, text("both"));
    EXPECT_EQ(recent_texts(store), (std::vector<std::string>{"older", "y", "both"}));
}

TEST(CaptureRule, AnEqualRecentClipMovesToTheFrontWithItsNameIconAndCache) {
    ClipStore store = make_store({}, {"a", "b", "c"});  // Recent: c b a
    int releases = 0;
    Clip& third = store.recent[2];
    third.name = "named";
    third.custom_icon = Bytes(CUSTOM_ICON_BYTES, 7);
    third.cache.set_handles(new TileCache{&releases}, release_counted);
    const ClipId id = third.id;
    record_capture(store, text("a"));
    EXPECT_EQ(recent_texts(store), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(store.recent[0].id, id);
    EXPECT_EQ(store.recent[0].name, "named");
    EXPECT_TRUE(store.recent[0].custom_icon.has_value());
    EXPECT_NE(store.recent[0].cache.handles(), nullptr);
    EXPECT_EQ(releases, 0);
}

TEST(CaptureRule, TheEleventhCaptureDestroysTheOldestAndReusesItsAnimalIndex) {
    ClipStore store = make_store({}, numbered("t", 10));
    int releases = 0;
    store.recent[9].cache.set_handles(new TileCache{&releases}, release_counted);
    const unsigned oldest_animal = store.recent[9].animal_index;
    EXPECT_EQ(oldest_animal, 0u);
    record_capture(store, text("new"));
    EXPECT_EQ(releases, 1);
    ASSERT_EQ(store.recent.size(), 10u);
    EXPECT_EQ(store.recent[0].content.text, "new");
    EXPECT_EQ(store.recent[9].content.text, "t1");
    EXPECT_EQ(store.recent[0].animal_index, oldest_animal);
}

TEST(CaptureRule, AFullStoreUsesAllThirtyAnimalIndicesOnce) {
    ClipStore store = make_store(numbered("p", 20), numbered("r", 15));
    std::set<unsigned> indices;
    for (const Clip& c : store.recent) indices.insert(c.animal_index);
    for (const Clip& c : store.pins) indices.insert(c.animal_index);
    EXPECT_EQ(indices.size(), 30u);
    EXPECT_EQ(*indices.rbegin(), 29u);
}

TEST(CaptureRule, TextsDifferingInTrailingWhiteSpaceAreDifferentClips) {
    ClipStore store = make_store({}, {"a", "a ", "A"});
    EXPECT_EQ(store.recent.size(), 3u);
}

TEST(SameContent, ComparesKindsAndBytes) {
    EXPECT_FALSE(same_content(text(""), ClipContent::make_image({})));
    EXPECT_FALSE(same_content(text(""), ClipContent::make_files({})));
    EXPECT_TRUE(same_content(ClipContent::make_image({1, 2, 3}), ClipContent::make_image({1, 2, 3})));
    EXPECT_FALSE(same_content(ClipContent::make_image({1, 2, 3}), ClipContent::make_image({1, 2, 3, 0})));
    EXPECT_FALSE(same_content(ClipContent::make_files({u"a", u"b"}), ClipContent::make_files({u"b", u"a"})));
    EXPECT_TRUE(same_content(ClipContent::make_files({u"D:\\x\\", u"C:\\y"}),
                             ClipContent::make_files({u"D:\\x", u"C:/y"})));
}

TEST(PathDrive, IsTheDriveLetterOfDrivePathsInEveryFormAndNothingForSharesAndDevices) {
    EXPECT_EQ(path_drive(u"c:\\x"), u'C');
    EXPECT_EQ(path_drive(u"D:relative"), u'D');
    EXPECT_EQ(path_drive(u"\\\\?\\e:\\x"), u'E');
    EXPECT_EQ(path_drive(u"\\\\.\\F:\\x"), u'F');
    for (const char16_t* path : {u"\\\\server\\share\\x", u"//server/share/x", u"\\\\?\\UNC\\server\\share\\x",
                                 u"\\\\.\\pipe\\x", u"\\\\?\\Volume{0}\\x", u"relative\\x", u"\\rooted", u""})
        EXPECT_FALSE(path_drive(path)) << std::string(path, path + std::char_traits<char16_t>::length(path));
}

struct PathCase {
    const char16_t* a;
    const char16_t* b;
    bool same;
};

class SamePath : public testing::TestWithParam<PathCase> {};

TEST_P(SamePath, ComparesPathComponents) {
    const PathCase& c = GetParam();
    EXPECT_EQ(same_path(c.a, c.b), c.same);
    EXPECT_EQ(same_path(c.b, c.a), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SamePath,
    testing::Values(PathCase{u"D:\\a\\b", u"D:\\a\\\\b", true}, PathCase{u"D:\\a\\b", u"D:\\a\\b\\", true},
                    PathCase{u"D:\\a\\.\\b", u"D:\\a\\b", true}, PathCase{u"D:\\a\\b", u"D:\\A\\b", false},
                    PathCase{u"d:\\a", u"D:\\a", true}, PathCase{u"D:a", u"D:\\a", false},
                    PathCase{u"D:\\a\\..\\b", u"D:\\b", false}, PathCase{u"C:\\a", u"D:\\a", false},
                    PathCase{u"\\\\srv\\share\\f", u"\\\\srv\\share\\\\f\\", true},
                    PathCase{u"\\\\srv\\share", u"\\\\srv\\share\\", true},
                    PathCase{u"\\\\srv\\share\\f", u"\\\\srv\\other\\f", false},
                    PathCase{u"\\\\?\\C:\\a", u"C:\\a", false}, PathCase{u"\\\\?\\C:\\a\\.", u"\\\\?\\C:\\a", false},
                    PathCase{u"\\\\?\\C:\\a", u"\\\\?\\c:\\a", true},
                    PathCase{u"\\\\?\\UNC\\s\\h\\x", u"\\\\?\\UNC\\s\\h\\x\\", true},
                    PathCase{u"\\\\?\\C:\\a/b", u"\\\\?\\C:\\a\\b", false},
                    PathCase{u"\\\\.\\COM1", u"\\\\.\\COM1\\", true}, PathCase{u".\\a", u"a", false},
                    PathCase{u"a\\.", u"a", true}, PathCase{u"\\a", u"/a", true}, PathCase{u"", u"", true},
                    PathCase{u"a\\b", u"a\\c", false}));

TEST(DragRule, MovesWithinThePinsAfterTheIndexAdjustment) {
    ClipStore store = make_store({"p0", "p1", "p2", "p3", "p4"}, {});
    EXPECT_TRUE(move_clip(store, {Area::Pinned, 0}, Area::Pinned, 3));
    EXPECT_EQ(pin_texts(store), (std::vector<std::string>{"p1", "p2", "p0", "p3", "p4"}));
    EXPECT_TRUE(move_clip(store, {Area::Pinned, 0}, Area::Pinned, 99));
    EXPECT_EQ(pin_texts(store), (std::vector<std::string>{"p2", "p0", "p3", "p4", "p1"}));
    EXPECT_TRUE(move_clip(store, {Area::Pinned, 4}, Area::Pinned, 0));
    EXPECT_EQ(pin_texts(store), (std::vector<std::string>{"p1", "p2", "p0", "p3", "p4"}));
    // Dropped where it was taken from, a pin stays there.
    EXPECT_TRUE(move_clip(store, {Area::Pinned, 2}, Area::Pinned, 2));
    EXPECT_EQ(pin_texts(store), (std::vector<std::string>{"p1", "p2", "p0", "p3", "p4"}));
}

TEST(DragRule, PinnedToRecentPastTheEndLandsAtNineAndCutsTheOldest) {
    ClipStore store = make_store({"pin"}, numbered("r", 10));  // Recent: r9 .. r0
    int releases = 0;
    store.recent[9].cache.set_handles(new TileCache{&releases}, release_counted);
    EXPECT_TRUE(move_clip(store, {Area::Pinned, 0}, Area::Recent, 10));
    ASSERT_EQ(store.recent.size(), 10u);
    EXPECT_EQ(store.recent[9].content.text, "pin");
    EXPECT_EQ(store.recent[8].content.text, "r1");
    EXPECT_EQ(releases, 1);
    EXPECT_TRUE(store.pins.empty());
}

TEST(DragRule, RecentToPinnedIsRefusedAtTwentyPins) {
    ClipStore store = make_store(numbered("p", 20), {"r"});
    EXPECT_FALSE(move_clip(store, {Area::Recent, 0}, Area::Pinned, 0));
    EXPECT_EQ(store.pins.size(), 20u);
    EXPECT_EQ(store.recent.size(), 1u);
    // Reordering the full pin list is still allowed.
    EXPECT_TRUE(move_clip(store, {Area::Pinned, 19}, Area::Pinned, 0));
    EXPECT_EQ(store.pins[0].content.text, "p19");
}

TEST(DragRule, RecentMovesKeepThePinsFileUntouchedAndIgnoreBadIndices) {
    ClipStore store = make_store({}, {"a", "b", "c"});  // c b a
    EXPECT_FALSE(move_clip(store, {Area::Recent, 0}, Area::Recent, 2));
    EXPECT_EQ(recent_texts(store), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_FALSE(move_clip(store, {Area::Recent, 5}, Area::Pinned, 0));
    EXPECT_TRUE(store.pins.empty());
    EXPECT_TRUE(move_clip(store, {Area::Recent, 2}, Area::Pinned, 7));
    EXPECT_EQ(pin_texts(store), std::vector<std::string>{"a"});
}

TEST(PinRules, PinUnpinDeleteAndAddRespectTheCapacities) {
    ClipStore store = make_store({}, numbered("r", 10));
    EXPECT_TRUE(pin_clip(store, 9));
    EXPECT_EQ(pin_texts(store), std::vector<std::string>{"r0"});
    EXPECT_FALSE(pin_clip(store, 9));  // only 9 Recent clips now
    record_capture(store, text("r10"));
    ASSERT_EQ(store.recent.size(), 10u);
    EXPECT_TRUE(unpin_clip(store, 0));  // the full Recent list loses its oldest
    EXPECT_EQ(store.recent[0].content.text, "r0");
    EXPECT_EQ(store.recent.size(), 10u);
    EXPECT_FALSE(unpin_clip(store, 0));

    EXPECT_FALSE(delete_clip(store, {Area::Recent, 0}));
    EXPECT_EQ(store.recent[0].content.text, "r10");
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(add_pin(store, text("n" + std::to_string(i)), "name", {}));
    EXPECT_FALSE(add_pin(store, text("too many"), std::nullopt, {}));
    EXPECT_FALSE(pin_clip(store, 0));
    EXPECT_EQ(store.pins.size(), 20u);
    EXPECT_TRUE(delete_clip(store, {Area::Pinned, 0}));
    EXPECT_FALSE(delete_clip(store, {Area::Pinned, 19}));
    EXPECT_EQ(store.pins.size(), 19u);
    clear_recent(store);
    EXPECT_TRUE(store.recent.empty());
}

TEST(PinRules, AddPinChoosesTheIndexBeforeAddingAndFindClipSearchesBothAreas) {
    ClipStore store = make_store({}, {"a", "b"});  // animals 0 and 1
    add_pin(store, text("p"), std::nullopt, {});
    EXPECT_EQ(store.pins[0].animal_index, 2u);
    EXPECT_EQ(find_clip(store, store.pins[0].id), (ClipLocation{Area::Pinned, 0}));
    EXPECT_EQ(find_clip(store, store.recent[1].id), (ClipLocation{Area::Recent, 1}));
    EXPECT_FALSE(find_clip(store, 0).has_value());
}

TEST(ClipEdits, IconVariablesNameAndTextFollowTheirRules) {
    ClipStore store = make_store({"pin"}, {"r"});
    int releases = 0;
    store.pins[0].cache.set_handles(new TileCache{&releases}, release_counted);
    store.pins[0].cache.missing_files = 1;
    EXPECT_TRUE(set_custom_icon(store, {Area::Pinned, 0}, Bytes(CUSTOM_ICON_BYTES)));
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(store.pins[0].cache.missing_files, 0);
    EXPECT_TRUE(set_custom_icon(store, {Area::Pinned, 5}, std::nullopt));  // invalid, still a pin
    EXPECT_FALSE(set_custom_icon(store, {Area::Recent, 0}, std::nullopt));

    store.pins[0].cache.set_handles(new TileCache{&releases}, release_counted);
    std::vector<VariableDefinition> defs(1);
    defs[0].name = "x";
    EXPECT_TRUE(set_variables(store, {Area::Pinned, 0}, defs));
    EXPECT_EQ(store.pins[0].variables.size(), 1u);
    EXPECT_EQ(releases, 1);  // variables leave the drawing cache alone

    set_text(store.pins[0], "changed");
    EXPECT_EQ(store.pins[0].content.text, "changed");
    EXPECT_EQ(releases, 2);
    Clip image;
    image.content = ClipContent::make_image({1});
    set_text(image, "ignored");
    EXPECT_EQ(image.content.dib.expanded(), Bytes{1});
    set_name(store.pins[0], "n");
    EXPECT_EQ(store.pins[0].name, "n");
    set_name(store.pins[0], std::nullopt);
    EXPECT_FALSE(store.pins[0].name.has_value());
    // The text and the definitions were changed once each; the name and the icon do not count.
    EXPECT_EQ(store.pins[0].edits, 2u);
    EXPECT_EQ(image.edits, 0u);
}

TEST(ClipLifetime, DestroyingAStoreReleasesEveryCache) {
    int releases = 0;
    {
        ClipStore store = make_store({"p"}, {"a", "b"});
        store.pins[0].cache.set_handles(new TileCache{&releases}, release_counted);
        store.recent[1].cache.set_handles(new TileCache{&releases}, release_counted);
        Clip moved = std::move(store.recent[1]);
        store.recent.erase(store.recent.begin() + 1);
        EXPECT_EQ(releases, 0);
    }
    EXPECT_EQ(releases, 2);
}

TEST(MissingFiles, AreFlaggedOnlyForFilesClipsWithAGonePath) {
    const PathExists exists = [](const FilePath& p) { return p != u"C:\\gone"; };
    Clip files;
    files.content = ClipContent::make_files({u"C:\\here", u"C:\\gone"});
    EXPECT_EQ(check_missing_files(files, exists), 1);
    EXPECT_EQ(files.cache.missing_files, 1);
    files.content.files.pop_back();
    EXPECT_EQ(check_missing_files(files, exists), 0);
    Clip plain;
    plain.content = text("C:\\gone");
    plain.cache.missing_files = 1;
    EXPECT_EQ(check_missing_files(plain, exists), 0);
    EXPECT_EQ(plain.cache.missing_files, 0);
}

}  // namespace
}  // namespace korvane
