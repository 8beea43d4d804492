// The fill-in dialog without its window: where each row's controls go, what the rows start
// with, and what a press of "Paste" makes of what was typed and ticked.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/dialog_layout.hpp"
#include "core/template.hpp"

namespace korvane {

// Columns and lines of a row of n option buttons, filled column by column.
int option_columns(size_t option_count);
int option_lines(size_t option_count);

struct FillRowLayout {
    ControlBox label;
    std::vector<ControlBox> inputs;  // the edit, or one box per option in option order
};

struct FillLayout {
    int client_width = 0;
    int client_height = 0;
    std::vector<FillRowLayout> rows;
    ControlBox message;
    ControlBox paste;
    ControlBox cancel;
};

FillLayout layout_fill_in(const std::vector<VariableDefinition>& definitions, int dpi);

// "name:", or "name (number):" for a number.
std::string fill_label(const VariableDefinition& definition);

// Which option buttons start checked: the remembered values for a multiple choice; for a
// single choice the remembered option, or the first one when that is no longer offered.
std::vector<bool> initial_checks(const VariableDefinition& definition);

// What one row's controls held when "Paste" was pressed.
struct FillReading {
    std::string text;           // the edit's text (FreeText, Number)
    std::vector<bool> checked;  // one per option button (choices)
};

// The first number that is not one: the row to focus and the message to show.
struct FillRefusal {
    size_t row = 0;
    std::string message;
};

using FillOutcome = std::variant<std::vector<ValueList>, FillRefusal>;

// One value list per row read, up to the smaller of the two counts.
FillOutcome read_fill_values(const std::vector<VariableDefinition>& definitions,
                             const std::vector<FillReading>& readings);

}  // namespace korvane
