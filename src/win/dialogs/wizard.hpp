// The variables wizard: one page per variable of a text pin, where the user says what kind of
// value it is and, for a choice, which options it offers.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/template.hpp"

namespace korvane {

// The edited definitions, same length and order; nothing when cancelled.  An empty list comes
// back at once without a window.
std::optional<std::vector<VariableDefinition>> run_variables_wizard(const std::vector<VariableDefinition>& definitions,
                                                                    size_t start_index);

}  // namespace korvane
