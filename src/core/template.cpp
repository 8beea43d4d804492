#include "core/template.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "core/text.hpp"

namespace korvane {

VariableDefinition copy_definition(const VariableDefinition& definition) {
    VariableDefinition copy;
    copy.kind = definition.kind;
    if (has_options(definition.kind)) copy.options = definition.options;
    copy.name = definition.name;
    copy.remembered_values = definition.remembered_values;
    return copy;
}

std::vector<Segment> parse_template(std::string_view text) {
    std::vector<Segment> segments;
    const auto literal = [&](std::string_view piece) { segments.push_back({Segment::Type::Literal, piece}); };
    std::string_view rest = text;
    size_t close = 0;  // where the first "}" at or after the last name's start is, or npos
    for (;;) {
        const size_t p = rest.find("${");
        if (p == std::string_view::npos) {
            literal(rest);
            return segments;
        }
        if (p > 0 && rest[p - 1] == '$') {
            // "$${" is an escaped "${": the first "$" is dropped.
            literal(rest.substr(0, p - 1));
            literal(rest.substr(p, 2));
            rest = rest.substr(p + 2);
            continue;
        }
        const size_t s = p + 2;
        // Every "${" that opens no placeholder is scanned past again, so the first "}" ahead is
        // kept until it is passed, and a "{" (which trimming cannot remove) rules a name out
        // before it is trimmed: each is found once, not once for every "${" before it.
        const size_t at = size_t(rest.data() - text.data()) + s;
        if (close != std::string_view::npos && close < at) close = text.find('}', at);
        const size_t e = close == std::string_view::npos ? close : close - (at - s);
        if (e != std::string_view::npos && rest.substr(s, e - s).find('{') == std::string_view::npos) {
            const std::string_view name = trim(rest.substr(s, e - s));
            if (!name.empty() && name.find_first_of("\r\n") == std::string_view::npos) {
                literal(rest.substr(0, p));
                segments.push_back({Segment::Type::Variable, name});
                rest = rest.substr(e + 1);
                continue;
            }
        }
        literal(rest.substr(0, s));
        rest = rest.substr(s);
    }
}

// A pinned text can be as long as anything copied, so names are looked up by hash: one scan
// per lookup would make a text with many placeholders quadratic in its length.

std::vector<std::string> placeholder_names(std::string_view text) {
    std::vector<std::string> names;
    std::unordered_set<std::string_view> seen;
    for (const Segment& segment : parse_template(text)) {
        if (segment.type != Segment::Type::Variable) continue;
        if (seen.insert(segment.text).second) names.emplace_back(segment.text);
    }
    return names;
}

SyncedVariables sync_variables(std::string_view text, const std::vector<VariableDefinition>& existing) {
    std::unordered_map<std::string_view, const VariableDefinition*> known;
    for (const VariableDefinition& definition : existing) known.emplace(definition.name, &definition);
    SyncedVariables result;
    for (std::string& name : placeholder_names(text)) {
        if (const auto found = known.find(name); found != known.end()) {
            result.definitions.push_back(copy_definition(*found->second));
            continue;
        }
        if (!result.first_created) result.first_created = result.definitions.size();
        VariableDefinition created;
        created.name = std::move(name);
        result.definitions.push_back(std::move(created));
    }
    return result;
}

bool is_number(std::string_view text) {
    const std::string_view t = trim(text);
    size_t i = 0;
    const auto digits = [&] {
        const size_t start = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t mantissa_digits = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa_digits += digits();
    }
    if (mantissa_digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    if (i != t.size()) return false;
    // The syntax is already checked, so strtod reads exactly this text; it reports an overflow
    // as HUGE_VAL.
    const std::string copy(t);
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(value);
}

std::string join_values(const ValueList& values) {
    std::string joined;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) joined += ", ";
        joined += values[i];
    }
    return joined;
}

Substitution substitute(std::string_view text, const std::vector<VariableDefinition>& definitions,
                        const std::vector<ValueList>& values, uint64_t max_text_bytes) {
    const size_t n = std::min(definitions.size(), values.size());
    // A list of one value is used where it lies; only longer lists are joined.
    std::vector<std::string> joined(n);
    std::vector<std::string_view> value_of(n);
    for (size_t i = 0; i < n; ++i) {
        if (values[i].size() == 1) {
            value_of[i] = values[i].front();
        } else {
            joined[i] = join_values(values[i]);
            value_of[i] = joined[i];
        }
    }

    std::unordered_map<std::string_view, size_t> index_of;  // the first definition of each name
    for (size_t i = 0; i < n; ++i) index_of.emplace(definitions[i].name, i);

    const std::vector<Segment> segments = parse_template(text);
    const auto piece = [&](const Segment& segment) -> std::string_view {
        if (segment.type == Segment::Type::Literal) return segment.text;
        const auto found = index_of.find(segment.text);
        return found == index_of.end() ? std::string_view() : value_of[found->second];
    };
    uint64_t length = 0;
    for (const Segment& segment : segments) {
        length += piece(segment).size();
        if (length > max_text_bytes) return Substitution{{}, {}, true};
    }

    Substitution result;
    result.text.reserve(size_t(length));
    for (const Segment& segment : segments) result.text += piece(segment);
    for (size_t i = 0; i < n; ++i) {
        VariableDefinition updated = copy_definition(definitions[i]);
        if (updated.kind == VariableKind::Secret) {
            updated.remembered_values.clear();
            result.secret = true;
        } else {
            updated.remembered_values = values[i];
        }
        result.definitions.push_back(std::move(updated));
    }
    return result;
}

}  // namespace korvane
