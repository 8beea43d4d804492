#include "core/fill_layout.hpp"

#include <algorithm>

#include "core/text.hpp"

namespace korvane {
namespace {

constexpr int FILL_WIDTH = 400;
constexpr int LABEL_HEIGHT = 20;
constexpr int EDIT_HEIGHT = 24;
constexpr int OPTION_HEIGHT = 22;
constexpr int ROW_GAP = 12;
constexpr int OPTION_INDENT = 8;

}  // namespace

int option_columns(size_t option_count) {
    if (option_count <= 5) return 1;
    if (option_count <= 12) return 2;
    return 3;
}

int option_lines(size_t option_count) {
    const size_t k = size_t(option_columns(option_count));
    return int((option_count + k - 1) / k);
}

FillLayout layout_fill_in(const std::vector<VariableDefinition>& definitions, int dpi) {
    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    const int m = px(DIALOG_MARGIN);
    FillLayout layout;
    layout.client_width = px(FILL_WIDTH);
    const int content = layout.client_width - m - m;

    int y = m;
    for (const VariableDefinition& definition : definitions) {
        FillRowLayout row;
        row.label = {m, y, content, px(LABEL_HEIGHT)};
        const int inputs_top = y + px(LABEL_HEIGHT);
        int height = px(EDIT_HEIGHT);
        if (has_options(definition.kind)) {
            const size_t n = definition.options.size();
            const int k = option_columns(n);
            const int r = option_lines(n);
            // Lines are stacked at one button height each, so the row is exactly as tall as
            // its buttons.
            height = r * px(OPTION_HEIGHT);
            const int column_width = (content - px(OPTION_INDENT)) / k;
            for (size_t j = 0; j < n; ++j) {
                const int c = int(j) / r;
                const int line = int(j) % r;
                row.inputs.push_back({m + px(OPTION_INDENT) + c * column_width, inputs_top + line * px(OPTION_HEIGHT),
                                      column_width, px(OPTION_HEIGHT)});
            }
        } else {
            row.inputs.push_back({m, inputs_top, content, px(EDIT_HEIGHT)});
        }
        layout.rows.push_back(std::move(row));
        y = y + px(LABEL_HEIGHT) + height + px(ROW_GAP);
    }

    // The message line tucks half a margin up into the gap below the last row.
    layout.message = {m, y - dpi * 12 / 192, content, px(LABEL_HEIGHT)};
    const int buttons_top = y + px(LABEL_HEIGHT);
    layout.cancel = {layout.client_width - m - px(PUSH_BUTTON_WIDTH), buttons_top, px(PUSH_BUTTON_WIDTH),
                     px(PUSH_BUTTON_HEIGHT)};
    layout.paste = {layout.client_width - m - px(PUSH_BUTTON_WIDTH) - px(PUSH_BUTTON_GAP) - px(PUSH_BUTTON_WIDTH),
                    buttons_top, px(PUSH_BUTTON_WIDTH), px(PUSH_BUTTON_HEIGHT)};
    layout.client_height = y + px(LABEL_HEIGHT) + px(PUSH_BUTTON_HEIGHT) + m;
    return layout;
}

std::string fill_label(const VariableDefinition& definition) {
    return definition.name + (definition.kind == VariableKind::Number ? " (number):" : ":");
}

std::vector<bool> initial_checks(const VariableDefinition& definition) {
    const std::vector<std::string>& options = definition.options;
    const ValueList& remembered = definition.remembered_values;
    std::vector<bool> checks(options.size(), false);
    if (definition.kind == VariableKind::MultipleChoice) {
        for (size_t j = 0; j < options.size(); ++j)
            checks[j] = std::find(remembered.begin(), remembered.end(), options[j]) != remembered.end();
    } else if (definition.kind == VariableKind::SingleChoice && !options.empty()) {
        size_t chosen = 0;
        if (!remembered.empty()) {
            const auto at = std::find(options.begin(), options.end(), remembered.front());
            if (at != options.end()) chosen = size_t(at - options.begin());
        }
        checks[chosen] = true;
    }
    return checks;
}

FillOutcome read_fill_values(const std::vector<VariableDefinition>& definitions,
                             const std::vector<FillReading>& readings) {
    std::vector<ValueList> values;
    const size_t rows = std::min(definitions.size(), readings.size());
    for (size_t i = 0; i < rows; ++i) {
        const VariableDefinition& definition = definitions[i];
        const FillReading& reading = readings[i];
        switch (definition.kind) {
        case VariableKind::FreeText:
            values.push_back({reading.text});
            break;
        case VariableKind::Number: {
            const std::string_view trimmed = trim(reading.text);
            if (!is_number(trimmed)) return FillRefusal{i, definition.name + " must be a number."};
            values.push_back({std::string(trimmed)});
            break;
        }
        case VariableKind::SingleChoice:
        case VariableKind::MultipleChoice: {
            ValueList chosen;
            const size_t n = std::min(definition.options.size(), reading.checked.size());
            for (size_t j = 0; j < n; ++j)
                if (reading.checked[j]) chosen.push_back(definition.options[j]);
            values.push_back(std::move(chosen));
            break;
        }
        }
    }
    return values;
}

}  // namespace korvane
