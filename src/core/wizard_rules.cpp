#include "core/wizard_rules.hpp"

#include <algorithm>

#include "core/text.hpp"

namespace korvane {

std::vector<std::string> parse_options(std::string_view text) {
    std::vector<std::string> options;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view option = trim(line);
        if (!option.empty() && std::find(options.begin(), options.end(), option) == options.end())
            options.emplace_back(option);
        start = end + 1;
    }
    return options;
}

std::vector<WizardPage> initial_pages(const std::vector<VariableDefinition>& definitions) {
    std::vector<WizardPage> pages;
    for (const VariableDefinition& definition : definitions) {
        WizardPage page;
        page.kind = definition.kind;
        if (has_options(definition.kind)) {
            for (size_t j = 0; j < definition.options.size(); ++j) {
                if (j > 0) page.options_text += "\r\n";
                page.options_text += definition.options[j];
            }
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

size_t first_wizard_page(size_t start_index, size_t page_count) {
    return page_count == 0 ? 0 : std::min(start_index, page_count - 1);
}

std::string page_caption(size_t index, size_t page_count, std::string_view name) {
    return "Value " + std::to_string(index + 1) + " of " + std::to_string(page_count) + ":  ${" + std::string(name) +
           "}";
}

bool page_is_valid(const WizardPage& page) {
    return !has_options(page.kind) || !parse_options(page.options_text).empty();
}

std::vector<VariableDefinition> wizard_result(const std::vector<VariableDefinition>& definitions,
                                              const std::vector<WizardPage>& pages) {
    std::vector<VariableDefinition> result;
    const size_t count = std::min(definitions.size(), pages.size());
    for (size_t i = 0; i < count; ++i) {
        VariableDefinition definition;
        definition.name = definitions[i].name;
        definition.kind = pages[i].kind;
        if (has_options(definition.kind)) definition.options = parse_options(pages[i].options_text);
        if (definition.kind == definitions[i].kind && definition.kind != VariableKind::Secret)
            definition.remembered_values = definitions[i].remembered_values;
        result.push_back(std::move(definition));
    }
    return result;
}

}  // namespace korvane
