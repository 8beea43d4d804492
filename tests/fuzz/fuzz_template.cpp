// Template parsing and substitution on arbitrary text: segments cover the text, names are
// trimmed and valid, and substitution with every name filled never loses literal text.
#include <cstdlib>
#include <string>

#include "core/template.hpp"
#include "core/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const Segment& segment : parse_template(text)) {
        if (segment.text.data() < text.data() || segment.text.data() + segment.text.size() > text.data() + text.size())
            std::abort();
        if (segment.type == Segment::Type::Variable &&
            (segment.text.empty() || trim(segment.text) != segment.text ||
             segment.text.find_first_of("{}\r\n") != std::string_view::npos))
            std::abort();
    }
    const SyncedVariables synced = sync_variables(text, {});
    std::vector<ValueList> values(synced.definitions.size(), ValueList{"v"});
    const Substitution result = substitute(text, synced.definitions, values);
    if (result.definitions.size() != synced.definitions.size()) std::abort();
    is_number(text);
    return 0;
}
