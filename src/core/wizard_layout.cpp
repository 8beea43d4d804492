#include "core/wizard_layout.hpp"

#include <cstddef>

namespace korvane {
namespace {

constexpr int WIDTH = 420;
constexpr int HEIGHT = 344;
constexpr int CONTENT_WIDTH = 396;
constexpr int LABEL_HEIGHT = 20;
constexpr int KIND_INDENT = 20;
constexpr int KIND_WIDTH = 388;
constexpr int KIND_HEIGHT = 22;
constexpr int BUTTONS_TOP = 306;

}  // namespace

WizardLayout layout_wizard(int dpi) {
    const auto px = [dpi](int dips) { return scale(dips, dpi); };
    const int m = px(DIALOG_MARGIN);
    WizardLayout layout;
    layout.client_width = px(WIDTH);
    layout.client_height = px(HEIGHT);
    layout.caption = box(m, px(12), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    layout.kind_label = box(m, px(38), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    for (int kind = 0; kind < 4; ++kind)
        layout.kinds[std::size_t(kind)] = box(px(KIND_INDENT), px(58 + KIND_HEIGHT * kind), px(KIND_WIDTH), px(KIND_HEIGHT));
    layout.options_label = box(m, px(146), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    layout.options = box(m, px(166), px(CONTENT_WIDTH), px(110));
    layout.message = box(m, px(280), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    // "< Back", "Next >" and Cancel, 8 DIPs apart with Cancel at the margin, each left edge
    // scaled on its own.
    const auto button = [&](int left) { return box(px(left), px(BUTTONS_TOP), px(PUSH_BUTTON_WIDTH), px(PUSH_BUTTON_HEIGHT)); };
    layout.back = button(140);
    layout.next = button(232);
    layout.cancel = button(324);
    return layout;
}

}  // namespace korvane
