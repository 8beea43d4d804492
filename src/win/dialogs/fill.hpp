// The fill-in dialog: asks for the value of each variable of a template before it is pasted.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/template.hpp"

namespace korvane {

// One value list per definition, in order; nothing when the user cancels or the window cannot
// be made.
std::optional<std::vector<ValueList>> fill_in(std::string_view title, const std::vector<VariableDefinition>& definitions);

}  // namespace korvane
