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

// The message line tucks half a margin up into the gap below the last row.
int message_rise(int dpi) { return dpi * 12 / 192; }

size_t row_inputs(const VariableDefinition& definition) {
    return has_options(definition.kind) ? definition.options.size() : 1;
}

}  // namespace

size_t fill_control_count(const std::vector<VariableDefinition>& definitions) {
    size_t count = 0;
    for (const VariableDefinition& definition : definitions) {
        count += 1 + std::min(row_inputs(definition), MAX_FILL_CONTROLS);
        if (count > MAX_FILL_CONTROLS) return MAX_FILL_CONTROLS + 1;
    }
    return count;
}

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
    int next_id = FIRST_FILL_INPUT_ID;
    for (const VariableDefinition& definition : definitions) {
        FillRowLayout row;
        row.label = box(m, y, content, px(LABEL_HEIGHT));
        row.first_id = next_id;
        next_id += int(row_inputs(definition));
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
                row.inputs.push_back(box(m + px(OPTION_INDENT) + c * column_width, inputs_top + line * px(OPTION_HEIGHT),
                                      column_width, px(OPTION_HEIGHT)));
            }
        } else {
            row.inputs.push_back(box(m, inputs_top, content, px(EDIT_HEIGHT)));
        }
        layout.rows.push_back(std::move(row));
        y = y + px(LABEL_HEIGHT) + height + px(ROW_GAP);
    }

    layout.rows_height = y;
    layout.message = box(m, y - message_rise(dpi), content, px(LABEL_HEIGHT));
    const int buttons_top = y + px(LABEL_HEIGHT);
    layout.cancel = box(layout.client_width - m - px(PUSH_BUTTON_WIDTH), buttons_top, px(PUSH_BUTTON_WIDTH),
                     px(PUSH_BUTTON_HEIGHT));
    layout.paste = box(layout.client_width - m - px(PUSH_BUTTON_WIDTH) - px(PUSH_BUTTON_GAP) - px(PUSH_BUTTON_WIDTH),
                    buttons_top, px(PUSH_BUTTON_WIDTH), px(PUSH_BUTTON_HEIGHT));
    layout.client_height = y + px(LABEL_HEIGHT) + px(PUSH_BUTTON_HEIGHT) + m;
    return layout;
}

FillFit fit_fill_in(const FillLayout& layout, int available_height, int scroll_bar_width, int dpi) {
    FillFit fit{false, layout.client_width, layout.client_height, layout.rows_height,
                layout.message, layout.paste, layout.cancel};
    if (layout.client_height <= available_height) return fit;

    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    const int m = px(DIALOG_MARGIN);
    // Below the viewport: the message line, the buttons under it and the margin, as tall as
    // they are below the rows when nothing scrolls.
    const int below = layout.client_height - layout.message.top;
    const int smallest_viewport = px(LABEL_HEIGHT) + px(EDIT_HEIGHT);
    fit.scrolls = true;
    fit.viewport_height = std::max(available_height - below, smallest_viewport);
    fit.client_width = layout.client_width + scroll_bar_width;
    fit.client_height = fit.viewport_height + below;
    fit.message = box(m, fit.viewport_height, layout.message.width(), layout.message.height());
    const int buttons_top = fit.viewport_height + (layout.paste.top - layout.message.top);
    fit.cancel = box(fit.client_width - m - px(PUSH_BUTTON_WIDTH), buttons_top, px(PUSH_BUTTON_WIDTH),
                  px(PUSH_BUTTON_HEIGHT));
    fit.paste = box(fit.cancel.left - px(PUSH_BUTTON_GAP) - px(PUSH_BUTTON_WIDTH), buttons_top, px(PUSH_BUTTON_WIDTH),
                 px(PUSH_BUTTON_HEIGHT));
    return fit;
}

int clamp_scroll(int64_t offset, int rows_height, int viewport_height) {
    const int64_t largest = std::max(0, rows_height - viewport_height);
    return int(std::clamp<int64_t>(offset, 0, largest));
}

int scroll_into_view(int offset, int rows_height, int viewport_height, int top, int bottom) {
    int64_t wanted = offset;
    if (bottom - top > viewport_height || top < offset) wanted = top;
    else if (bottom > offset + viewport_height) wanted = int64_t(bottom) - viewport_height;
    return clamp_scroll(wanted, rows_height, viewport_height);
}

RowSpan focus_span(const FillLayout& layout, size_t row, size_t input, int viewport_height, int dpi) {
    const FillRowLayout& r = layout.rows[row];
    const int gap = scale(ROW_GAP, dpi);
    int row_bottom = r.label.bottom;
    for (const Rect& b : r.inputs) row_bottom = std::max(row_bottom, b.bottom);
    const RowSpan whole{r.label.top - gap, row_bottom + gap};
    if (whole.bottom - whole.top <= viewport_height || input >= r.inputs.size()) return whole;
    const Rect& input_box = r.inputs[input];
    return {input_box.top, input_box.bottom};
}

WheelScroll wheel_scroll(int delta, int remainder, int pixels_per_notch) {
    constexpr int64_t NOTCH = 120;
    const int64_t turned = int64_t(delta) * pixels_per_notch + remainder;
    return {int(turned / NOTCH), int(turned % NOTCH)};
}

std::string button_text(std::string_view option) {
    std::string text;
    text.reserve(option.size());
    for (char c : option) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

std::string fill_label(const VariableDefinition& definition) {
    switch (definition.kind) {
    case VariableKind::Number: return definition.name + " (number):";
    case VariableKind::Secret: return definition.name + " (secret):";
    default: return definition.name + ":";
    }
}

std::string initial_text(const VariableDefinition& definition) {
    if (definition.kind == VariableKind::Secret || definition.remembered_values.empty()) return {};
    return definition.remembered_values.front();
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
        case VariableKind::Secret:
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
