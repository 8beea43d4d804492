// Templates: `${name}` placeholders in a text pin, the variable definitions that say how each
// value is asked for, and the substitution that produces the pasted text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// Codes 0 to 3 are stored in a pin's record as they are.  A secret is stored there as free text
// with nothing remembered, so that an earlier version asks for it as it always did, and is named
// in a section of its own after the records (core/secrets).
enum class VariableKind : uint8_t { FreeText = 0, Number = 1, SingleChoice = 2, MultipleChoice = 3, Secret = 4 };
constexpr size_t VARIABLE_KIND_COUNT = 5;

constexpr bool has_options(VariableKind kind) {
    return kind == VariableKind::SingleChoice || kind == VariableKind::MultipleChoice;
}

using ValueList = std::vector<std::string>;

struct VariableDefinition {
    VariableKind kind = VariableKind::FreeText;
    std::vector<std::string> options;  // only for the two choice kinds
    std::string name;                  // trimmed, never empty
    ValueList remembered_values;
};

// A copy that carries options only for the choice kinds.
VariableDefinition copy_definition(const VariableDefinition& definition);

struct Segment {
    enum class Type : uint8_t { Literal, Variable };
    Type type;
    std::string_view text;  // the literal text, or the variable's name; points into the parsed text
};

std::vector<Segment> parse_template(std::string_view text);

// The distinct variable names in order of first appearance (compared byte for byte).
std::vector<std::string> placeholder_names(std::string_view text);

struct SyncedVariables {
    std::vector<VariableDefinition> definitions;
    std::optional<size_t> first_created;  // position of the first definition that had to be made
};

// One definition per placeholder name, copied from `existing` where the name is known.
SyncedVariables sync_variables(std::string_view text, const std::vector<VariableDefinition>& existing);

// True when the trimmed text is a finite decimal number: sign, digits with an optional point,
// optional exponent.
bool is_number(std::string_view text);

std::string join_values(const ValueList& values);

struct Substitution {
    std::string text;
    std::vector<VariableDefinition> definitions;  // with the remembered values updated
    bool too_long = false;  // the text would exceed the limit: nothing was built
    bool secret = false;    // a secret's value is in the text: it must stay out of clipboard histories
};

// A secret's value goes into the text and nowhere else: it is not remembered, and no copy of it
// is made on the way.  The result's length is added up first, in 64 bits, so a text beyond `max_text_bytes` is
// refused before any of it is built: 100,000 placeholders of a 30,000-character value would
// otherwise ask for 3 GB.
Substitution substitute(std::string_view text, const std::vector<VariableDefinition>& definitions,
                        const std::vector<ValueList>& values, uint64_t max_text_bytes = UINT64_MAX);

}  // namespace korvane
