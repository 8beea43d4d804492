#include <gtest/gtest.h>

#include <vector>

#include "core/editor_layout.hpp"

namespace korvane {
namespace {

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::vector<Rect> controls_in_tab_order(const EditorLayout& layout) {
    std::vector<Rect> controls{layout.name_label, layout.name_field};
    for (const std::optional<Rect>& r : {layout.text_label, layout.text_field, layout.hint})
        if (r) controls.push_back(*r);
    controls.push_back(layout.ok);
    controls.push_back(layout.cancel);
    return controls;
}

// At any DPI: every control inside the client area, one margin clear of its edges, none over
// another, each row below the one before it in the Tab order, and OK then Cancel ending at the
// right margin on the last row.
TEST(EditorLayout, KeepsEveryControlInsideTheMarginsInTabOrderWithoutOverlapAtAnyDpi) {
    for (const int dpi : {96, 120, 144, 192})
        for (const bool with_text : {true, false}) {
            const EditorLayout layout = layout_text_editor(with_text, dpi);
            const int margin = scale(DIALOG_MARGIN, dpi);
            const std::vector<Rect> controls = controls_in_tab_order(layout);
            EXPECT_EQ(controls.size(), with_text ? 7u : 4u);
            for (size_t i = 0; i < controls.size(); ++i) {
                const Rect& c = controls[i];
                EXPECT_TRUE(c.left >= margin && c.right <= layout.client_width - margin && c.top >= margin &&
                            c.bottom <= layout.client_height - margin)
                    << dpi << " dpi, control " << i;
                for (size_t j = 0; j < i; ++j) EXPECT_FALSE(overlap(c, controls[j])) << dpi << " dpi, " << i << "/" << j;
                if (i > 0 && i + 1 < controls.size()) EXPECT_GE(c.top, controls[i - 1].bottom) << dpi << " dpi, " << i;
            }
            EXPECT_EQ(layout.ok.top, layout.cancel.top);
            EXPECT_LT(layout.ok.right, layout.cancel.left);
            EXPECT_EQ(layout.cancel.right, layout.client_width - margin);
            EXPECT_EQ(layout.client_height, layout.cancel.bottom + margin) << dpi << " dpi";
            EXPECT_EQ(layout.ok.height(), scale(PUSH_BUTTON_HEIGHT, dpi));
        }
}

TEST(EditorLayout, IsTheDialogsSizeAt96DpiAndScalesEachQuantityOnItsOwn) {
    EXPECT_EQ(layout_text_editor(true, 96).client_width, 440);
    EXPECT_EQ(layout_text_editor(true, 96).client_height, 332);
    EXPECT_EQ(layout_text_editor(false, 96).client_height, 104);
    // 26 DIPs at 120 dpi are 32 pixels (32.5 truncated): 367 + 32 + 15, not 332 x 1.25 = 415.
    EXPECT_EQ(layout_text_editor(true, 120).client_height, 367 + 32 + 15);
}

}  // namespace
}  // namespace korvane
