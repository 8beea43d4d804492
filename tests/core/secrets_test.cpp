#include <gtest/gtest.h>

#include "variable_builder.hpp"

#include <algorithm>
#include <string>
#include <tuple>

#include "core/byte_io.hpp"
#include "core/secrets.hpp"

namespace korvane {
namespace {

using test::variable;

std::vector<Clip> login_pin() {
    std::vector<Clip> pins(1);
    pins[0].content = ClipContent::make_text("${user} ${pw} ${n}");
    // A secret holds no remembered value; one given anyway must not reach the file.
    pins[0].variables = {variable("user", VariableKind::FreeText, {}, {"ann"}),
                         variable("pw", VariableKind::Secret, {}, {"hunter2"}),
                         variable("n", VariableKind::Number, {}, {"4"})};
    return pins;
}

std::vector<Clip> loaded(const Bytes& file, std::span<const PinsSection> sections = pins_sections()) {
    DecodedPins decoded = decode_pins(file, sections);
    auto* pins = std::get_if<std::vector<Clip>>(&decoded);
    EXPECT_TRUE(pins && pins->size() == 1);
    return pins ? std::move(*pins) : std::vector<Clip>{};
}

std::vector<std::tuple<std::string, VariableKind, ValueList>> variables_of(const std::vector<Clip>& pins) {
    std::vector<std::tuple<std::string, VariableKind, ValueList>> out;
    if (!pins.empty())
        for (const VariableDefinition& d : pins[0].variables) out.emplace_back(d.name, d.kind, d.remembered_values);
    return out;
}

using Variables = std::vector<std::tuple<std::string, VariableKind, ValueList>>;
const Variables AS_SAVED{{"user", VariableKind::FreeText, {"ann"}},
                         {"pw", VariableKind::Secret, {}},
                         {"n", VariableKind::Number, {"4"}}};
// What an earlier version, or this one after a bad section, makes of the record alone.
const Variables RECORD_ALONE{{"user", VariableKind::FreeText, {"ann"}},
                             {"pw", VariableKind::FreeText, {}},
                             {"n", VariableKind::Number, {"4"}}};

TEST(SecretsSection, ASecretSurvivesAndAnEarlierReaderSeesFreeTextWithNothingRemembered) {
    const Bytes file = encode_pins(login_pin());
    const std::string bytes(file.begin(), file.end());
    EXPECT_EQ(bytes.find("hunter2"), std::string::npos);
    EXPECT_EQ(variables_of(loaded(file)), AS_SAVED);
    EXPECT_EQ(variables_of(loaded(file, {})), RECORD_ALONE);
    // The record is the one an earlier version writes of a free-text value with nothing remembered.
    std::vector<Clip> earlier = login_pin();
    earlier[0].variables[1] = variable("pw", VariableKind::FreeText);
    const Bytes records = encode_pins(earlier, {});
    EXPECT_TRUE(std::equal(records.begin(), records.end(), file.begin()));

    Bytes damaged = file;
    damaged[damaged.size() - 6] ^= 1;  // a byte of the section: its check fails
    EXPECT_EQ(variables_of(loaded(damaged)), RECORD_ALONE);
}

Bytes section_of(std::initializer_list<std::pair<uint32_t, std::string>> entries, uint32_t version = 1) {
    Bytes out;
    append_u32(out, version);
    append_u32(out, static_cast<uint32_t>(entries.size()));
    for (const auto& [index, name] : entries) {
        append_u32(out, index);
        append_u32(out, static_cast<uint32_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
    }
    return out;
}

TEST(SecretsSection, MakesOnlyAFreeTextValueOfALoadedPinASecret) {
    Bytes cut_short = section_of({{0, "pw"}});
    cut_short.pop_back();
    const struct {
        const char* what;
        Bytes section;
        bool applies;
        VariableKind user, n;
    } cases[] = {
        {"a free-text value", section_of({{0, "user"}}), true, VariableKind::Secret, VariableKind::Number},
        {"a number", section_of({{0, "n"}}), true, VariableKind::FreeText, VariableKind::Number},
        {"a pin that was not loaded", section_of({{1, "user"}}), true, VariableKind::FreeText, VariableKind::Number},
        {"a name the pin lacks", section_of({{0, "nobody"}}), true, VariableKind::FreeText, VariableKind::Number},
        {"another version", section_of({{0, "user"}}, 2), false, VariableKind::FreeText, VariableKind::Number},
        {"an entry cut short", cut_short, false, VariableKind::FreeText, VariableKind::Number},
        {"good entries before a cut one", [] {
             Bytes s = section_of({{0, "user"}, {0, "pw"}});
             s.resize(s.size() - 1);
             return s;
         }(), false, VariableKind::FreeText, VariableKind::Number},
    };
    for (const auto& c : cases) {
        std::vector<Clip> pins = login_pin();
        pins[0].variables[1].kind = VariableKind::FreeText;
        EXPECT_EQ(apply_secrets_section(c.section, pins), c.applies) << c.what;
        EXPECT_EQ(pins[0].variables[0].kind, c.user) << c.what;
        EXPECT_EQ(pins[0].variables[2].kind, c.n) << c.what;
        // A secret keeps nothing a file may claim it remembered.
        EXPECT_EQ(pins[0].variables[0].remembered_values.empty(), c.user == VariableKind::Secret) << c.what;
    }
}

}  // namespace
}  // namespace korvane
