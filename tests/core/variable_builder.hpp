// Variable definitions for the tests, in one line each.
#pragma once

#include <string>
#include <vector>

#include "core/template.hpp"

namespace korvane::test {

inline VariableDefinition variable(const char* name, VariableKind kind, std::vector<std::string> options = {},
                                   ValueList remembered = {}) {
    VariableDefinition d;
    d.name = name;
    d.kind = kind;
    d.options = std::move(options);
    d.remembered_values = std::move(remembered);
    return d;
}

}  // namespace korvane::test
