// The variables wizard without its window: the working pages, the option list typed one per
// line, when a page may be left, and the definitions the wizard hands back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/template.hpp"

namespace korvane {

// What one page holds while the wizard runs: the options as typed and the kind chosen.
struct WizardPage {
    std::string options_text;  // options joined with CR LF
    VariableKind kind = VariableKind::FreeText;
    friend bool operator==(const WizardPage&, const WizardPage&) = default;
};

// One option per line: lines trimmed, empty and repeated lines dropped, order kept.
std::vector<std::string> parse_options(std::string_view text);

std::vector<WizardPage> initial_pages(const std::vector<VariableDefinition>& definitions);

// The page to open first: the requested one, or the last page when it is out of range.
size_t first_wizard_page(size_t start_index, size_t page_count);

// "Value 2 of 3:  ${name}"
std::string page_caption(size_t index, size_t page_count, std::string_view name);

// Free text and numbers always pass; a choice needs at least one usable option.
bool page_is_valid(const WizardPage& page);

// The definitions as the pages say.  Remembered values survive only where the kind is
// unchanged: values of another kind would not fit the new controls.  A secret has none.
std::vector<VariableDefinition> wizard_result(const std::vector<VariableDefinition>& definitions,
                                              const std::vector<WizardPage>& pages);

}  // namespace korvane
