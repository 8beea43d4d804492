#include <gtest/gtest.h>

#include "variable_builder.hpp"

#include <string>

#include "core/byte_io.hpp"
#include "core/secrets.hpp"

namespace korvane {
namespace {

using test::variable;

// A secret given a remembered value anyway, which must never reach the file.
std::vector<Clip> login_pin(VariableKind pw = VariableKind::Secret) {
    std::vector<Clip> pins(1);
    pins[0].content = ClipContent::make_text("${user} ${pw} ${n}");
    pins[0].variables = {variable("user", VariableKind::FreeText, {}, {"ann"}), variable("pw", pw, {}, {"hunter2"}),
                         variable("n", VariableKind::Number, {}, {"4"})};
    return pins;
}

// Each variable as "name kind [remembered]".
std::string summary(const std::vector<Clip>& pins) {
    std::string out;
    for (const VariableDefinition& d : pins.at(0).variables)
        out += d.name + " " + std::to_string(int(d.kind)) + " [" + join_values(d.remembered_values) + "] ";
    return out;
}
std::string summary(const DecodedPins& decoded) {
    const auto* pins = std::get_if<std::vector<Clip>>(&decoded);
    return pins ? summary(*pins) : "<not loaded>";
}

const char RECORD_ALONE[] = "user 0 [ann] pw 0 [] n 1 [4] ";

TEST(SecretsSection, SurvivesALoadAndAnEarlierReaderOrABadSectionSeesFreeTextWithNothingRemembered) {
    const Bytes file = encode_pins(login_pin());
    EXPECT_EQ(std::string(file.begin(), file.end()).find("hunter2"), std::string::npos);
    Bytes damaged = file;
    damaged[damaged.size() - 6] ^= 1;  // a byte of the section: its check fails
    EXPECT_EQ(summary(decode_pins(file)), "user 0 [ann] pw 4 [] n 1 [4] ");
    EXPECT_EQ(summary(decode_pins(file, {})), RECORD_ALONE);
    EXPECT_EQ(summary(decode_pins(damaged)), RECORD_ALONE);
}

Bytes section_of(std::initializer_list<std::pair<uint32_t, std::string>> entries) {
    Bytes out;
    append_u32(out, 1);
    append_u32(out, static_cast<uint32_t>(entries.size()));
    for (const auto& [index, name] : entries) {
        append_u32(out, index);
        append_u32(out, static_cast<uint32_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
    }
    return out;
}

// Entries naming a number and a pin not loaded are left out beside a good one; a section cut
// short changes nothing.
TEST(SecretsSection, NamesOnlyAFreeTextValueOfALoadedPinAndACutSectionNothing) {
    Bytes section = section_of({{0, "n"}, {1, "user"}, {0, "user"}});
    std::vector<Clip> pins = login_pin(VariableKind::FreeText);
    EXPECT_TRUE(apply_secrets_section(section, pins));
    EXPECT_EQ(summary(pins), "user 4 [] pw 0 [hunter2] n 1 [4] ");
    section.pop_back();
    pins = login_pin(VariableKind::FreeText);
    EXPECT_FALSE(apply_secrets_section(section, pins));
    EXPECT_EQ(summary(pins), "user 0 [ann] pw 0 [hunter2] n 1 [4] ");
}

}  // namespace
}  // namespace korvane
