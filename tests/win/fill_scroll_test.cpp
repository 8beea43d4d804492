// A fill-in with more rows than the screen holds: the window stays inside the work area, the
// buttons and the message line stay in sight, and the rows scroll by wheel, scroll bar and
// keyboard.  Run at 96 dpi with the other Windows tests and again at 144 dpi.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <string>
#include <vector>

#include "core/fill_layout.hpp"
#include "dialog_driver.hpp"
#include "win/dialogs/fill.hpp"

namespace korvane {
namespace {

using test::Driver;
using test::variable;

POINT centre(HWND window) {
    const RECT r = test::screen_rect(window);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// What the user sees at the middle of a control is that control: it lies inside the window and
// nothing covers it.
bool in_sight(HWND control) { return WindowFromPoint(centre(control)) == control; }

RECT work_area_of(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// The inputs in creation order: the rows' edits and buttons, then Paste and Cancel.
std::vector<HWND> inputs_of(const Driver& d) {
    std::vector<HWND> inputs;
    for (HWND child : test::descendants(d.dialog())) {
        const std::wstring window_class = test::class_of(child);
        if (_wcsicmp(window_class.c_str(), L"Edit") == 0 || _wcsicmp(window_class.c_str(), L"Button") == 0)
            inputs.push_back(child);
    }
    return inputs;
}

HWND with_vertical_scroll_bar(const Driver& d) {
    for (HWND child : test::descendants(d.dialog()))
        if (test::style_of(child) & WS_VSCROLL) return child;
    return nullptr;
}

int top_of(HWND window) { return test::screen_rect(window).top; }

HWND find_by_text(const Driver& d, const std::wstring& text) {
    for (HWND child : test::descendants(d.dialog()))
        if (test::text_of(child) == text) return child;
    return nullptr;
}

constexpr int ROWS = 40;
constexpr int CHOICE_ROW = 5;

// Where a row's first input is among the inputs: one each, three for the radio group.
size_t first_input_of(int row) { return size_t(row <= CHOICE_ROW ? row : row + 2); }

std::vector<VariableDefinition> forty_rows() {
    std::vector<VariableDefinition> definitions;
    for (int i = 0; i < ROWS - 1; ++i) {
        if (i == CHOICE_ROW) definitions.push_back(variable("Size", VariableKind::SingleChoice, {"S", "M", "L"}));
        else definitions.push_back(variable(("Value " + std::to_string(i)).c_str(), VariableKind::FreeText));
    }
    definitions.push_back(variable("Last", VariableKind::Number));
    return definitions;
}

TEST(FillInScrolling, FortyRowsStayInsideTheWorkAreaAndTheKeyboardBringsEachIntoSight) {
    const std::vector<VariableDefinition> definitions = forty_rows();
    Driver driver(L"KorvaneFill", [&](Driver& d) {
        d.expect(test::contains(work_area_of(d.dialog()), test::screen_rect(d.dialog())), "the window in the work area");
        const std::vector<HWND> inputs = inputs_of(d);
        // 38 edits, three radio buttons, the number, Paste and Cancel.
        if (!d.expect(inputs.size() == size_t(ROWS - 1 + 3 + 2), "the inputs made")) return;
        HWND paste = d.item(IDOK), cancel = d.item(IDCANCEL);
        d.expect(in_sight(paste) && in_sight(cancel), "Paste and Cancel in sight");
        HWND last = inputs[ROWS - 1 + 2];
        d.expect(in_sight(inputs[0]) && !in_sight(last), "the first row in sight, the last not");

        // Tab walks down the rows; each one that takes the focus is brought into sight.
        if (!d.wait_focus(inputs[0], "the first row")) return;
        for (int row = 1; row < ROWS; ++row) {
            d.press(VK_TAB);
            HWND control = inputs[first_input_of(row)];
            const std::string what = "row " + std::to_string(row);
            if (!d.wait_focus(control, what)) return;
            if (!d.wait([&] { return in_sight(control); }, what + " in sight")) return;
            if (row == CHOICE_ROW) {
                d.press(VK_DOWN);
                if (!d.wait_focus(inputs[first_input_of(row) + 1], "M, by the arrow")) return;
            }
            if (row == 20) d.type(L"twenty");
        }

        // A refused number is brought into sight with its message.
        d.type(L"x\n");
        HWND message = nullptr;
        if (!d.wait([&] { return (message = find_by_text(d, L"Last must be a number.")) != nullptr; }, "the message"))
            return;
        d.expect(in_sight(message) && in_sight(last) && d.focus() == last, "the message and the refused number");

        // The wheel scrolls the rows back up, a notch at a time.  The pointer rests on the
        // message line: over the rows, an edit's border comes under it at some turn, and Wine
        // was seen to drop a wheel turned with the pointer on an edit's border.
        d.move_pointer(centre(message));
        const int before = top_of(last);
        d.turn_wheel(WHEEL_DELTA);
        if (!d.wait([&] { return top_of(last) > before; }, "a notch of the wheel scrolling up")) return;
        for (int turn = 0; turn < 100 && !in_sight(inputs[0]); ++turn) {
            const int now = top_of(last);
            d.turn_wheel(WHEEL_DELTA);
            if (!d.wait([&] { return top_of(last) > now; }, "the next notch")) return;
        }
        d.expect(in_sight(inputs[0]), "the wheel reaching the first row");
        d.expect(in_sight(paste) && in_sight(message), "Paste and the message still in sight");

        // The scroll bar: a click below its thumb pages down, one on its arrow scrolls a line.
        HWND scrolled = with_vertical_scroll_bar(d);
        SCROLLBARINFO bar{};
        bar.cbSize = sizeof bar;
        if (!d.expect(scrolled && GetScrollBarInfo(scrolled, OBJID_VSCROLL, &bar), "a scroll bar")) return;
        const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
        const int top = top_of(last);
        d.click_screen({x, bar.rcScrollBar.top + bar.xyThumbBottom + 4});
        if (!d.wait([&] { return top_of(last) < top; }, "a page down from the scroll bar")) return;
        d.expect(!in_sight(inputs[0]), "the first row scrolled away");
        const int paged = top_of(last);
        d.click_screen({x, bar.rcScrollBar.bottom - GetSystemMetrics(SM_CYVSCROLL) / 2});
        if (!d.wait([&] { return top_of(last) < paged; }, "a line down from the arrow")) return;
        d.expect(paged - top_of(last) < top - paged, "a line is less than a page");

        // Typing goes on in the focused number, wherever the rows are.
        d.type(L"5\n");
    });
    const auto values = fill_in("Fill in: Forty", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), size_t(ROWS));
    EXPECT_EQ((*values)[CHOICE_ROW], (ValueList{"M"}));
    EXPECT_EQ((*values)[20], (ValueList{"twenty"}));
    EXPECT_EQ((*values)[ROWS - 1], (ValueList{"5"}));
    EXPECT_EQ((*values)[0], (ValueList{""}));
}

TEST(FillInScrolling, ARowTallerThanTheViewportShowsTheFocusedOption) {
    std::vector<std::string> options;
    for (int j = 0; j < 150; ++j) options.push_back("option " + std::to_string(j));
    const std::vector<VariableDefinition> definitions{variable("Pick", VariableKind::SingleChoice, options)};
    Driver driver(L"KorvaneFill", [&](Driver& d) {
        d.expect(test::contains(work_area_of(d.dialog()), test::screen_rect(d.dialog())), "the window in the work area");
        const std::vector<HWND> inputs = inputs_of(d);
        if (!d.expect(inputs.size() == options.size() + 2, "the inputs made")) return;
        if (!d.wait_focus(inputs[0], "the first option")) return;
        // Up from the first option wraps round the group to the last, at the foot of the third column.
        d.press(VK_UP);
        HWND final_option = inputs[options.size() - 1];
        if (!d.wait_focus(final_option, "the last option")) return;
        d.expect(test::is_checked(final_option), "the last option chosen");
        if (!d.wait([&] { return in_sight(final_option); }, "the last option in sight")) return;
        d.expect(in_sight(d.item(IDOK)), "Paste in sight");
        d.press(VK_RETURN);
    });
    EXPECT_EQ(fill_in("Fill in: Many", definitions), (std::vector<ValueList>{{"option 149"}}));
    EXPECT_EQ(driver.finish(), "");
}

}  // namespace
}  // namespace korvane
