// The fill-in dialog without its window: where each row's controls go, how the rows scroll when
// they do not fit the screen, what the rows start with, and what a press of "Paste" makes of
// what was typed and ticked.
#pragma once

#include <cstddef>
#include <cstdint>
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

// A fill-in makes at most this many labels and inputs: far more than any template needs, well
// inside the 10,000 windows a process may own, and few enough to be made at once.  A template
// that needs more is not filled in.
constexpr size_t MAX_FILL_CONTROLS = 2000;

// The rows are never taller than the largest coordinate a window message can carry.
constexpr int MAX_FILL_ROWS_HEIGHT = 32767;

// The inputs are numbered one after the other from here, in creation order, so no two share an
// id whatever the number of rows and options; with at most MAX_FILL_CONTROLS controls the ids
// stay clear of the statics' 0xFFFF.
constexpr int FIRST_FILL_INPUT_ID = 1000;

// Labels and inputs the rows of these definitions need; counting stops just past the limit, so
// a hostile option count costs nothing.
size_t fill_control_count(const std::vector<VariableDefinition>& definitions);

struct FillRowLayout {
    Rect label;
    std::vector<Rect> inputs;  // the edit, or one box per option in option order
    int first_id = 0;                // the id of the edit or of option 0; option j has first_id + j
};

struct FillLayout {
    int client_width = 0;
    int client_height = 0;
    int rows_height = 0;  // the top margin and every row with the gap below it
    std::vector<FillRowLayout> rows;
    Rect message;
    Rect paste;
    Rect cancel;
};

// The whole layout as if the screen were tall enough.  Only for definitions within
// MAX_FILL_CONTROLS.
FillLayout layout_fill_in(const std::vector<VariableDefinition>& definitions, int dpi);

// The window as it opens on a work area that leaves `available_height` pixels of client area:
// the layout unchanged when it fits; otherwise the rows scroll in a viewport above the message
// line and the buttons, which stay where they can be seen, and the window grows by the width of
// the scroll bar so the rows keep their places.
struct FillFit {
    bool scrolls = false;
    int client_width = 0;
    int client_height = 0;
    int viewport_height = 0;  // the rows' visible height (all of them when nothing scrolls)
    Rect message;
    Rect paste;
    Rect cancel;
};

FillFit fit_fill_in(const FillLayout& layout, int available_height, int scroll_bar_width, int dpi);

// Scroll offsets are the rows' pixel row shown at the top of the viewport.
int clamp_scroll(int64_t offset, int rows_height, int viewport_height);

// The offset that shows the pixel rows [top, bottom), moving as little as possible; a span
// taller than the viewport shows its top.
int scroll_into_view(int offset, int rows_height, int viewport_height, int top, int bottom);

// What to bring into view when input `input` of row `row` (one of the layout's rows) takes the
// focus: the row with its label and the gaps around it, or only the input when the row is
// taller than the viewport.
struct RowSpan {
    int top = 0;
    int bottom = 0;
    friend bool operator==(const RowSpan&, const RowSpan&) = default;
};
RowSpan focus_span(const FillLayout& layout, size_t row, size_t input, int viewport_height, int dpi);

// A wheel turn of `delta` (120 a notch, less on fine wheels) at `pixels_per_notch`: the pixels
// to scroll towards the top (negative: towards the bottom) and what is left below one pixel,
// kept for the next turn so that fine wheels scroll as far as coarse ones.
struct WheelScroll {
    int pixels = 0;
    int remainder = 0;
    friend bool operator==(const WheelScroll&, const WheelScroll&) = default;
};
WheelScroll wheel_scroll(int delta, int remainder, int pixels_per_notch);

// An option's text for a button, where "&" would mark a keyboard mnemonic: each "&" doubled,
// so the button shows the option as written and no key presses it.
std::string button_text(std::string_view option);

// "name:", or "name (number):" for a number and "name (secret):" for a secret.
std::string fill_label(const VariableDefinition& definition);

// What an edit starts with: the first remembered value, and never anything for a secret.
std::string initial_text(const VariableDefinition& definition);

// Which option buttons start checked: the remembered values for a multiple choice; for a
// single choice the remembered option, or the first one when that is no longer offered.
std::vector<bool> initial_checks(const VariableDefinition& definition);

// What one row's controls held when "Paste" was pressed.
struct FillReading {
    std::string text;           // the edit's text (FreeText, Number; a secret's is read apart)
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
