#include <gtest/gtest.h>

#include <set>

#include "core/byte_io.hpp"
#include "core/pins_file.hpp"

namespace korvane {
namespace {

// Builds pins files byte by byte, as an older or newer writer would have.
struct FileBuilder {
    Bytes bytes;
    FileBuilder& raw(std::initializer_list<uint8_t> b) {
        bytes.insert(bytes.end(), b);
        return *this;
    }
    FileBuilder& u8(uint8_t v) { return raw({v}); }
    FileBuilder& u32(uint32_t v) {
        return raw({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    FileBuilder& str(std::string_view s) {
        u32(uint32_t(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    FileBuilder& header(uint32_t version, uint32_t count) { return raw({'K', 'R', 'V', 'N'}).u32(version).u32(count); }
    // A version 4 text record without icon, name or variables.
    FileBuilder& text_v4(std::string_view text, uint8_t animal = 0) { return u8(0).u8(animal).u8(0).u8(0).u8(0).str(text); }
};

std::vector<Clip> pins_of(DecodedPins decoded) {
    if (const auto* error = std::get_if<std::string>(&decoded)) {
        ADD_FAILURE() << "load failed: " << *error;
        return {};
    }
    return std::move(std::get<std::vector<Clip>>(decoded));
}

bool is_corrupt(const DecodedPins& decoded) {
    const auto* error = std::get_if<std::string>(&decoded);
    return error && *error == "pins.dat is corrupt";
}

TEST(PinsFileHeader, TwelveBytesWithCountZeroIsAnEmptyList) {
    EXPECT_TRUE(pins_of(decode_pins(FileBuilder().header(4, 0).bytes)).empty());
    EXPECT_TRUE(pins_of(decode_pins(FileBuilder().header(1, 0).raw({9, 9, 9}).bytes)).empty());  // trailing bytes
}

TEST(PinsFileHeader, RejectsBadMagicVersionsAndShortFiles) {
    const Bytes good = FileBuilder().header(4, 0).bytes;
    for (size_t n = 0; n < good.size(); ++n) EXPECT_TRUE(is_corrupt(decode_pins({good.data(), n}))) << n;
    EXPECT_TRUE(is_corrupt(decode_pins(FileBuilder().raw({'K', 'R', 'V', 'X'}).u32(4).u32(0).bytes)));
    EXPECT_TRUE(is_corrupt(decode_pins(FileBuilder().header(0, 0).bytes)));
    EXPECT_TRUE(is_corrupt(decode_pins(FileBuilder().header(5, 0).bytes)));
    EXPECT_TRUE(is_corrupt(decode_pins(FileBuilder().header(4, 1).bytes)));  // a record is missing
}

TEST(PinsFileVersions, Version1RecordsGetFreshAnimalIndicesInOrder) {
    FileBuilder f;
    f.header(1, 3);
    f.u8(0).u8(1).str("first name").str("one");
    f.u8(1).u8(0).u32(3).raw({1, 2, 3});
    f.u8(2).u8(0).u32(1).u32(2).raw({'C', 0, ':', 0});
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 3u);
    EXPECT_EQ(pins[0].name, "first name");
    EXPECT_EQ(pins[0].content.text, "one");
    EXPECT_EQ(pins[1].content.kind, ClipKind::Image);
    EXPECT_EQ(pins[1].content.dib.expanded(), (Bytes{1, 2, 3}));
    EXPECT_EQ(pins[2].content.files, std::vector<FilePath>{u"C:"});
    for (unsigned i = 0; i < 3; ++i) EXPECT_EQ(pins[i].animal_index, i);
    EXPECT_NE(pins[0].id, pins[1].id);
}

TEST(PinsFileVersions, Version2DuplicateAndInvalidAnimalIndicesAreReassigned) {
    FileBuilder f;
    f.header(2, 4);
    for (uint8_t animal : {5, 5, 200, 0}) f.u8(0).u8(animal).u8(0).str("t" + std::to_string(animal));
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 4u);
    EXPECT_EQ(pins[0].animal_index, 5u);
    EXPECT_EQ(pins[1].animal_index, 0u);
    EXPECT_EQ(pins[2].animal_index, 1u);  // 200 becomes the smallest index the pins before it leave
    EXPECT_EQ(pins[3].animal_index, 2u);  // its own 0 is taken by an earlier pin
}

TEST(PinsFileVersions, Version3IconsAreUsedOnlyAtTheExactLength) {
    FileBuilder f;
    f.header(3, 3);
    f.u8(0).u8(3).u8(1).u32(100).raw({}).bytes.resize(f.bytes.size() + 100, 0xAB);
    f.u8(0).str("hundred");
    f.u8(0).u8(4).u8(1).u32(CUSTOM_ICON_BYTES).bytes.resize(f.bytes.size() + CUSTOM_ICON_BYTES, 0xCD);
    f.u8(1).str("icon name").str("exact");
    f.u8(0).u8(6).u8(1).u32(0).u8(0).str("zero");
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 3u);
    EXPECT_FALSE(pins[0].custom_icon.has_value());
    EXPECT_EQ(pins[0].animal_index, 3u);
    ASSERT_TRUE(pins[1].custom_icon.has_value());
    EXPECT_EQ(pins[1].custom_icon->size(), CUSTOM_ICON_BYTES);
    EXPECT_EQ((*pins[1].custom_icon)[0], 0xCD);
    EXPECT_EQ(pins[1].name, "icon name");
    EXPECT_FALSE(pins[2].custom_icon.has_value());
    EXPECT_EQ(pins[2].content.text, "zero");
}

// The last valid index is 29: 30 is one past the table and is replaced like any other.
TEST(PinsFileVersions, AnIndexOfThirtyIsReassignedAndTwentyNineKept) {
    FileBuilder f;
    f.header(4, 2);
    f.text_v4("thirty", 30).text_v4("twenty-nine", 29);
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 2u);
    EXPECT_EQ(pins[0].animal_index, 0u);
    EXPECT_EQ(pins[1].animal_index, 29u);
}

// An icon one byte too long is skipped, not cut to size; and a has-icon or has-name byte other
// than 1 means present: only 0 is absent.
TEST(PinsFileVersions, AnIconTooLongIsSkippedAndAnyNonZeroFlagMeansPresent) {
    FileBuilder f;
    f.header(4, 2);
    f.u8(0).u8(1).u8(7).u32(CUSTOM_ICON_BYTES + 1).bytes.resize(f.bytes.size() + CUSTOM_ICON_BYTES + 1, 0xEE);
    f.u8(2).str("named by a two").u8(0).str("long icon");
    f.u8(0).u8(2).u8(0xFF).u32(CUSTOM_ICON_BYTES).bytes.resize(f.bytes.size() + CUSTOM_ICON_BYTES, 0x11);
    f.u8(0x80).str("named by 0x80").u8(0).str("exact icon");
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 2u);
    EXPECT_FALSE(pins[0].custom_icon.has_value());
    EXPECT_EQ(pins[0].name, "named by a two");
    EXPECT_EQ(pins[0].content.text, "long icon");
    ASSERT_TRUE(pins[1].custom_icon.has_value());
    EXPECT_EQ(pins[1].name, "named by 0x80");
    EXPECT_EQ(pins[1].content.text, "exact icon");
}

TEST(PinsFileVersions, Version4VariablesKeepOptionsOnlyForChoiceKinds) {
    FileBuilder f;
    f.header(4, 1);
    f.u8(0).u8(0).u8(0).u8(0).u8(2);
    f.str("size").u8(2).u32(2).str("S").str("M").u32(1).str("M");
    f.str("count").u8(1).u32(1).str("stray").u32(0);
    f.str("${size} ${count}");
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 1u);
    ASSERT_EQ(pins[0].variables.size(), 2u);
    EXPECT_EQ(pins[0].variables[0].kind, VariableKind::SingleChoice);
    EXPECT_EQ(pins[0].variables[0].options, (std::vector<std::string>{"S", "M"}));
    EXPECT_EQ(pins[0].variables[0].remembered_values, std::vector<std::string>{"M"});
    EXPECT_EQ(pins[0].variables[1].kind, VariableKind::Number);
    EXPECT_TRUE(pins[0].variables[1].options.empty());
}

TEST(PinsFileRecords, TwentyFiveRecordsLoadTwentyAndATruncatedTwentyFourthLoadsNone) {
    FileBuilder f;
    f.header(4, 25);
    for (int i = 0; i < 25; ++i) f.text_v4("pin " + std::to_string(i), uint8_t(i));
    const std::vector<Clip> pins = pins_of(decode_pins(f.bytes));
    ASSERT_EQ(pins.size(), 20u);
    EXPECT_EQ(pins[19].content.text, "pin 19");

    FileBuilder cut;
    cut.header(4, 25);
    for (int i = 0; i < 23; ++i) cut.text_v4("pin " + std::to_string(i));
    cut.u8(0).u8(0).u8(0).u8(0).u8(0).u32(50).str("short");  // says 50 bytes, holds fewer
    EXPECT_TRUE(is_corrupt(decode_pins(cut.bytes)));

    FileBuilder invalid_late;  // records past the 20th are still validated
    invalid_late.header(4, 22);
    for (int i = 0; i < 21; ++i) invalid_late.text_v4("ok");
    invalid_late.text_v4("\xC3\x28");
    EXPECT_TRUE(is_corrupt(decode_pins(invalid_late.bytes)));
}

TEST(PinsFileRecords, RejectsBadKindsAndInvalidUtf8ButNeverValidatesImageBytes) {
    const auto one = [](auto&& build) {
        FileBuilder f;
        f.header(4, 1);
        build(f);
        return decode_pins(f.bytes);
    };
    EXPECT_TRUE(is_corrupt(one([](FileBuilder& f) { f.u8(3).u8(0).u8(0).u8(0).u8(0).str("x"); })));
    EXPECT_TRUE(is_corrupt(one([](FileBuilder& f) { f.text_v4("\xED\xA0\x80"); })));
    EXPECT_TRUE(is_corrupt(one([](FileBuilder& f) { f.u8(0).u8(0).u8(0).u8(1).str("\xFF").str("x"); })));
    EXPECT_TRUE(is_corrupt(one([](FileBuilder& f) { f.u8(0).u8(0).u8(0).u8(0).u8(1).str("v").u8(4).u32(0).u32(0).str("x"); })));
    EXPECT_TRUE(is_corrupt(one([](FileBuilder& f) { f.u8(0).u8(0).u8(0).u8(0).u8(1).str("v").u8(0).u32(0).u32(1).str("\xC0\xAF").str("x"); })));
    EXPECT_TRUE(is_corrupt(one([](FileBuilder& f) { f.u8(0).u8(0).u8(0).u8(0).u8(1).str("\x80").u8(0).u32(0).u32(0).str("x"); })));
    EXPECT_EQ(pins_of(one([](FileBuilder& f) { f.u8(1).u8(0).u8(0).u8(0).u8(0).u32(2).raw({0xFF, 0xFE}); }))[0].content.dib.expanded(),
              (Bytes{0xFF, 0xFE}));
}

TEST(PinsFileRecords, HugeCountsAndLengthsFailWithoutAllocating) {
    for (auto build : std::initializer_list<void (*)(FileBuilder&)>{
             [](FileBuilder& f) { f.u8(0).u8(0).u8(0).u8(0).u8(0).u32(0xFFFFFFFF); },
             [](FileBuilder& f) { f.u8(1).u8(0).u8(1).u32(0xFFFFFFFF); },
             [](FileBuilder& f) { f.u8(2).u8(0).u8(0).u8(0).u8(0).u32(0xFFFFFFFF); },
             [](FileBuilder& f) { f.u8(2).u8(0).u8(0).u8(0).u8(0).u32(1).u32(0x80000000); },
             [](FileBuilder& f) { f.u8(0).u8(0).u8(0).u8(0).u8(1).str("v").u8(2).u32(0x40000000); },
         }) {
        FileBuilder f;
        f.header(4, 0xFFFFFFFF);
        build(f);
        EXPECT_TRUE(is_corrupt(decode_pins(f.bytes)));
    }
}

Clip make_pin(ClipContent content) {
    Clip clip;
    clip.content = std::move(content);
    return clip;
}

TEST(PinsFileWriter, WritesVersion4ByteForByte) {
    std::vector<Clip> pins;
    pins.push_back(make_pin(ClipContent::make_text("Hi")));
    pins[0].animal_index = 7;
    pins[0].name = "N";
    VariableDefinition free_text;
    free_text.name = "v";
    free_text.kind = VariableKind::FreeText;
    free_text.options = {"not written"};
    free_text.remembered_values = {"r"};
    pins[0].variables.push_back(free_text);
    pins.push_back(make_pin(ClipContent::make_files({u"C:\\\xD800"})));
    pins[1].animal_index = 2;

    FileBuilder expected;
    expected.header(4, 2);
    expected.u8(0).u8(7).u8(0).u8(1).str("N").u8(1).str("v").u8(0).u32(0).u32(1).str("r").str("Hi");
    expected.u8(2).u8(2).u8(0).u8(0).u8(0).u32(1).u32(4).raw({'C', 0, ':', 0, '\\', 0, 0x00, 0xD8});
    EXPECT_EQ(encode_pins(pins), expected.bytes);
}

TEST(PinsFileWriter, RoundTripsEveryFieldAndKeepsUnpairedSurrogates) {
    std::vector<Clip> pins;
    pins.push_back(make_pin(ClipContent::make_image(Bytes(1000, 0x5A))));
    pins[0].custom_icon = Bytes(CUSTOM_ICON_BYTES, 0x11);
    pins[0].animal_index = 29;
    pins.push_back(make_pin(ClipContent::make_files({u"\xDC00lone", u"", u"D:\\\U0001F600"})));
    pins.push_back(make_pin(ClipContent::make_files({})));
    pins.push_back(make_pin(ClipContent::make_text("${a} ${b}")));
    VariableDefinition choice;
    choice.name = "a";
    choice.kind = VariableKind::MultipleChoice;
    choice.options = {"x", "y"};
    choice.remembered_values = {"x", "y"};
    pins[3].variables = {choice};
    pins[3].animal_index = 1;
    pins[1].animal_index = 0;
    pins[2].animal_index = 3;

    const std::vector<Clip> loaded = pins_of(decode_pins(encode_pins(pins)));
    ASSERT_EQ(loaded.size(), pins.size());
    for (size_t i = 0; i < pins.size(); ++i) {
        EXPECT_TRUE(same_content(loaded[i].content, pins[i].content)) << i;
        EXPECT_EQ(loaded[i].custom_icon, pins[i].custom_icon) << i;
        EXPECT_EQ(loaded[i].animal_index, pins[i].animal_index) << i;
    }
    EXPECT_EQ(loaded[1].content.files, pins[1].content.files);  // code units, not just equal paths
    ASSERT_EQ(loaded[3].variables.size(), 1u);
    EXPECT_EQ(loaded[3].variables[0].options, choice.options);
    EXPECT_EQ(loaded[3].variables[0].remembered_values, choice.remembered_values);
}

TEST(PinsFileWriter, WritesAtMost255VariableDefinitions) {
    std::vector<Clip> pins;
    pins.push_back(make_pin(ClipContent::make_text("t")));
    for (int i = 0; i < 300; ++i) {
        VariableDefinition d;
        d.name = "v" + std::to_string(i);
        pins[0].variables.push_back(d);
    }
    const Bytes file = encode_pins(pins);
    EXPECT_EQ(file[12 + 4], 255);  // kind, animal, has icon, has name, then the count
    const std::vector<Clip> loaded = pins_of(decode_pins(file));
    ASSERT_EQ(loaded.size(), 1u);
    ASSERT_EQ(loaded[0].variables.size(), 255u);
    EXPECT_EQ(loaded[0].variables[254].name, "v254");
    EXPECT_EQ(loaded[0].content.text, "t");
}


// A section for the tests: it holds the first pin's name, and gives it to the first pin read as
// that pin's text.
PinsFilePieces first_name_section(const std::vector<Clip>& pins) {
    PinsFilePieces out;
    if (pins.empty() || !pins[0].name) return out;
    out.buffers.emplace_back(pins[0].name->begin(), pins[0].name->end());
    out.pieces.push_back(out.buffers.back());
    return out;
}
bool apply_first_name(std::span<const uint8_t> bytes, std::vector<Clip>& pins) {
    if (pins.empty()) return false;
    pins[0].content = ClipContent::make_text(std::string(bytes.begin(), bytes.end()));
    return true;
}
constexpr uint32_t TEST_TAG = 0x54534554;  // "TEST"
constexpr PinsSection TEST_SECTIONS[] = {{TEST_TAG, first_name_section, apply_first_name}};

TEST(PinsFileSections, AreReadBackSkippedByEarlierReadersAndIgnoredWhenDamaged) {
    const auto one_pin = [](std::optional<std::string> name) {
        std::vector<Clip> pins(1);
        pins[0].content = ClipContent::make_text("record");
        pins[0].name = std::move(name);
        return pins;
    };
    const Bytes records_only = encode_pins(one_pin("from the section"), {});
    const Bytes with_section = encode_pins(one_pin("from the section"), TEST_SECTIONS);
    ASSERT_GT(with_section.size(), records_only.size());
    ASSERT_TRUE(std::equal(records_only.begin(), records_only.end(), with_section.begin()));
    // Nothing to say: no ending at all, the file as an earlier version writes it.
    EXPECT_EQ(encode_pins(one_pin(std::nullopt), TEST_SECTIONS), encode_pins(one_pin(std::nullopt), {}));

    const auto text_read = [](const Bytes& file, std::span<const PinsSection> sections) {
        const std::vector<Clip> pins = pins_of(decode_pins(file, sections));
        return pins.size() == 1 ? pins[0].content.text : "<" + std::to_string(pins.size()) + " pins>";
    };
    EXPECT_EQ(text_read(with_section, TEST_SECTIONS), "from the section");
    EXPECT_EQ(text_read(with_section, {}), "record");  // a reader that knows no sections

    const size_t ending = records_only.size();
    const auto changed = [&](size_t at, uint8_t value) {
        Bytes file = with_section;
        file[at] = value;
        return file;
    };
    const Bytes truncated(with_section.begin(), with_section.end() - 1);
    Bytes unknown_first = FileBuilder{records_only}.raw({'K', 'R', 'V', 'X'}).u32(2).u32(0x4E4B4E55).u32(3).u32(0)
                              .raw({1, 2, 3}).u32(TEST_TAG).u32(2).u32(0).raw({'o', 'k'}).bytes;
    const uint32_t crc = crc32(std::span<const uint8_t>(unknown_first).subspan(ending));
    unknown_first = FileBuilder{unknown_first}.u32(crc).bytes;
    const struct {
        const char* what;
        Bytes file;
        std::string text;
    } cases[] = {
        {"a damaged byte of the section", changed(with_section.size() - 5, 'X'), "record"},
        {"a damaged check", changed(with_section.size() - 1, uint8_t(with_section.back() ^ 1)), "record"},
        {"another magic", changed(ending, 'Q'), "record"},
        {"a section count past the end", changed(ending + 7, 0x7F), "record"},
        {"cut short by one byte", truncated, "record"},
        {"garbage after the records", FileBuilder{records_only}.raw({1, 2, 3}).bytes, "record"},
        {"an unknown section before a known one", unknown_first, "ok"},
    };
    for (const auto& c : cases) EXPECT_EQ(text_read(c.file, TEST_SECTIONS), c.text) << c.what;
}
}  // namespace
}  // namespace korvane
