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
constexpr int KINDS_TOP = 58;
constexpr int MESSAGE_TOP = 280;
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
    for (std::size_t kind = 0; kind < layout.kinds.size(); ++kind)
        layout.kinds[kind] = box(px(KIND_INDENT), px(KINDS_TOP + KIND_HEIGHT * int(kind)), px(KIND_WIDTH), px(KIND_HEIGHT));
    // The options take what the kinds leave above the message line.
    const int options_label_top = KINDS_TOP + KIND_HEIGHT * int(VARIABLE_KIND_COUNT);
    const int options_top = options_label_top + LABEL_HEIGHT;
    layout.options_label = box(m, px(options_label_top), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    layout.options = box(m, px(options_top), px(CONTENT_WIDTH), px(MESSAGE_TOP - 4 - options_top));
    layout.message = box(m, px(MESSAGE_TOP), px(CONTENT_WIDTH), px(LABEL_HEIGHT));
    // "< Back", "Next >" and Cancel, 8 DIPs apart with Cancel at the margin, each left edge
    // scaled on its own.
    const auto button = [&](int left) { return box(px(left), px(BUTTONS_TOP), px(PUSH_BUTTON_WIDTH), px(PUSH_BUTTON_HEIGHT)); };
    layout.back = button(140);
    layout.next = button(232);
    layout.cancel = button(324);
    return layout;
}

}  // namespace korvane
