// Template parsing and substitution on arbitrary text: segments lie inside the text, names are
// trimmed and valid, and substitution with every name filled puts each literal in place and
// each name's value for its placeholder, and remembers the values given.
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "core/template.hpp"
#include "core/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SyncedVariables synced = sync_variables(text, {});
    std::vector<ValueList> values;
    std::unordered_map<std::string_view, size_t> index_of;
    for (size_t i = 0; i < synced.definitions.size(); ++i) {
        values.push_back({"<" + std::to_string(i) + ">", "x"});
        if (!index_of.emplace(synced.definitions[i].name, i).second) std::abort();
    }
    std::string expected;
    for (const Segment& segment : parse_template(text)) {
        if (segment.text.data() < text.data() || segment.text.data() + segment.text.size() > text.data() + text.size())
            std::abort();
        if (segment.type == Segment::Type::Literal) {
            expected += segment.text;
            continue;
        }
        if (segment.text.empty() || trim(segment.text) != segment.text ||
            segment.text.find_first_of("{}\r\n") != std::string_view::npos)
            std::abort();
        const auto found = index_of.find(segment.text);
        if (found == index_of.end()) std::abort();
        expected += "<" + std::to_string(found->second) + ">, x";
    }
    const Substitution result = substitute(text, synced.definitions, values);
    if (result.text != expected || result.definitions.size() != synced.definitions.size()) std::abort();
    for (size_t i = 0; i < values.size(); ++i)
        if (result.definitions[i].remembered_values != values[i]) std::abort();
    is_number(text);
    return 0;
}
