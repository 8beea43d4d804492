#include <gtest/gtest.h>

#include "core/byte_io.hpp"
#include "core/companions.hpp"
#include "core/store.hpp"

namespace korvane {
namespace {

Clip pin_of(ClipContent content, unsigned animal) {
    Clip clip;
    clip.content = std::move(content);
    clip.animal_index = animal;
    return clip;
}

ClipContent formatted(std::string text, std::string html) {
    ClipContent content = ClipContent::make_text(std::move(text));
    content.companions = {{HTML_FORMAT, Bytes(html.begin(), html.end())}, {RICH_TEXT_FORMAT, {'{', '}'}}};
    return content;
}

std::vector<Clip> two_pins() {
    std::vector<Clip> pins;
    pins.push_back(pin_of(formatted("bold", "<b>bold</b>"), 3));
    pins[0].content.markers = {.no_cloud_upload = true, .history_allowed = true};
    ClipContent picture = ClipContent::make_image(Bytes(60, 7));
    picture.companions = {{PNG_FORMAT, Bytes(5000, 0x89)}};  // large enough to be written in place
    pins.push_back(pin_of(std::move(picture), 4));
    return pins;
}

std::vector<Clip> loaded(const Bytes& file, std::span<const PinsSection> sections = pins_sections()) {
    DecodedPins decoded = decode_pins(file, sections);
    EXPECT_TRUE(std::holds_alternative<std::vector<Clip>>(decoded));
    return std::holds_alternative<std::vector<Clip>>(decoded) ? std::move(std::get<std::vector<Clip>>(decoded))
                                                              : std::vector<Clip>{};
}

TEST(CompanionsSection, RoundTripsBehindRecordsAnEarlierReaderLoadsAlone) {
    const std::vector<Clip> pins = two_pins();
    const Bytes records_only = encode_pins(pins, {});
    const Bytes file = encode_pins(pins);
    ASSERT_GT(file.size(), records_only.size());
    EXPECT_TRUE(std::equal(records_only.begin(), records_only.end(), file.begin()));

    const std::vector<Clip> back = loaded(file);
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(same_content(back[i].content, pins[i].content)) << i;
        EXPECT_EQ(back[i].content.companions, pins[i].content.companions) << i;
        EXPECT_EQ(back[i].content.markers, pins[i].content.markers) << i;
    }
    const std::vector<Clip> earlier = loaded(file, {});
    ASSERT_EQ(earlier.size(), 2u);
    EXPECT_TRUE(earlier[0].content.companions.empty());
    EXPECT_EQ(earlier[1].content.dib, pins[1].content.dib);

    std::vector<Clip> plain;
    plain.push_back(pin_of(ClipContent::make_text("plain"), 0));
    EXPECT_EQ(encode_pins(plain), encode_pins(plain, {}));  // nothing to add, nothing written
}

// The section's own bytes, as a writer that lies would make them.
Bytes section_of(std::initializer_list<std::tuple<uint32_t, std::string, Bytes>> entries, uint32_t version = 1) {
    Bytes out;
    append_u32(out, version);
    append_u32(out, static_cast<uint32_t>(entries.size()));
    for (const auto& [index, name, bytes] : entries) {
        append_u32(out, index);
        append_u32(out, static_cast<uint32_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        append_u32(out, static_cast<uint32_t>(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

TEST(CompanionsSection, LiesCostOnlyWhatTheyTouch) {
    const Bytes big(MAX_COMPANION_BYTES - 10, 1);
    const struct {
        const char* what;
        Bytes section;
        bool applies;
        size_t companions_of_first;
    } cases[] = {
        {"a whole entry", section_of({{0, HTML_FORMAT, {1}}}), true, 1},
        {"another version", section_of({{0, HTML_FORMAT, {1}}}, 2), false, 0},
        {"a pin that was not loaded", section_of({{5, HTML_FORMAT, {1}}}), true, 0},
        {"a picture's format beside a text", section_of({{0, PNG_FORMAT, {1}}}), true, 0},
        {"a name never read", section_of({{0, "CF_PRIVATE", {1}}}), true, 0},
        {"an empty block", section_of({{0, HTML_FORMAT, {}}}), true, 0},
        {"past 64 MiB together", section_of({{0, HTML_FORMAT, big}, {0, RICH_TEXT_FORMAT, Bytes(11, 2)}}), true, 1},
        {"an entry cut short", [] {
             Bytes s = section_of({{0, HTML_FORMAT, {1, 2, 3}}});
             s.pop_back();
             return s;
         }(), false, 0},
    };
    for (const auto& c : cases) {
        std::vector<Clip> pins;
        pins.push_back(pin_of(ClipContent::make_text("t"), 0));
        EXPECT_EQ(apply_companions_section(c.section, pins), c.applies) << c.what;
        EXPECT_EQ(pins[0].content.companions.size(), c.companions_of_first) << c.what;
        EXPECT_EQ(pins[0].content.text, "t") << c.what;
    }
}

TEST(Companions, BudgetAndMarkersAsWritten) {
    const std::vector<Companion> half{{HTML_FORMAT, Bytes(MAX_COMPANION_BYTES / 2, 0)}};
    EXPECT_TRUE(companion_fits(half, MAX_COMPANION_BYTES / 2));
    EXPECT_FALSE(companion_fits(half, MAX_COMPANION_BYTES / 2 + 1));
    EXPECT_FALSE(companion_fits({}, 0));
    EXPECT_FALSE(companion_fits({}, MAX_COMPANION_BYTES + 1));

    const auto names = [](const std::vector<Companion>& blocks) {
        std::string out;
        for (const Companion& b : blocks) out += b.format + "=" + std::to_string(u32_at(b.bytes, 0)) + " ";
        return out;
    };
    EXPECT_EQ(names(marker_blocks({}, false)), "");
    EXPECT_EQ(names(marker_blocks({.no_cloud_upload = true, .history_allowed = true}, false)),
              "CanIncludeInClipboardHistory=1 CanUploadToCloudClipboard=0 ");
    EXPECT_EQ(names(marker_blocks({.no_cloud_upload = false, .history_allowed = true}, true)),
              "ExcludeClipboardContentFromMonitorProcessing=0 CanIncludeInClipboardHistory=0 CanUploadToCloudClipboard=0 ");
}

TEST(Companions, TheNewerCaptureGivesThemAndAnEditDropsThem) {
    ClipStore store;
    record_capture(store, formatted("same", "<i>older</i>"));
    record_capture(store, ClipContent::make_text("other"));
    record_capture(store, formatted("same", "<b>newer</b>"));
    ASSERT_EQ(store.recent.size(), 2u);
    EXPECT_EQ(store.recent[0].content.companions, formatted("", "<b>newer</b>").companions);

    set_text(store.recent[0], "same");  // unchanged: kept
    EXPECT_EQ(store.recent[0].content.companions.size(), 2u);
    set_text(store.recent[0], "changed");
    EXPECT_TRUE(store.recent[0].content.companions.empty());
}

}  // namespace
}  // namespace korvane
