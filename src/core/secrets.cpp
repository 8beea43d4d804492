#include "core/secrets.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/byte_io.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

constexpr uint32_t SECTION_VERSION = 1;

}  // namespace

PinsFilePieces encode_secrets_section(const std::vector<Clip>& pins) {
    Bytes entries;
    uint32_t count = 0;
    for (size_t i = 0; i < pins.size(); ++i) {
        const std::vector<VariableDefinition>& variables = pins[i].variables;
        // Only the definitions the record holds.
        const size_t stored = std::min(variables.size(), MAX_STORED_VARIABLES);
        for (size_t v = 0; v < stored; ++v) {
            if (variables[v].kind != VariableKind::Secret) continue;
            append_u32(entries, static_cast<uint32_t>(i));
            append_u32(entries, static_cast<uint32_t>(variables[v].name.size()));
            entries.insert(entries.end(), variables[v].name.begin(), variables[v].name.end());
            ++count;
        }
    }
    if (count == 0) return {};
    PinsFilePieces out;
    Bytes& bytes = out.buffers.emplace_back();
    append_u32(bytes, SECTION_VERSION);
    append_u32(bytes, count);
    bytes.insert(bytes.end(), entries.begin(), entries.end());
    out.pieces.push_back(bytes);
    return out;
}

bool apply_secrets_section(std::span<const uint8_t> bytes, std::vector<Clip>& pins) {
    ByteCursor in{bytes};
    uint32_t version = 0, count = 0;
    if (!in.u32(version) || version != SECTION_VERSION || !in.u32(count)) return false;
    // All entries are read before any is used, so a section cut short changes nothing.
    std::vector<std::pair<uint32_t, std::string_view>> named;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t index = 0, length = 0;
        std::span<const uint8_t> name;
        if (!in.u32(index) || !in.u32(length) || !in.bytes(length, name)) return false;
        named.emplace_back(index, std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
    }
    for (const auto& [index, name] : named) {
        if (index >= pins.size() || !is_valid_utf8(name)) continue;
        for (VariableDefinition& variable : pins[index].variables) {
            if (variable.name != name || variable.kind != VariableKind::FreeText) continue;
            variable.kind = VariableKind::Secret;
            variable.remembered_values.clear();
        }
    }
    return true;
}

}  // namespace korvane
