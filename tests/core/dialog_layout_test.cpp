#include <gtest/gtest.h>

#include "core/dialog_layout.hpp"
#include "core/settings_layout.hpp"

namespace korvane {
namespace {

struct OriginCase {
    const char* what;
    Rect work;
    int width;
    int height;
    Point origin;
};

class DialogOrigin : public testing::TestWithParam<OriginCase> {};

TEST_P(DialogOrigin, CentresInTheWorkAreaAndKeepsTheTopInside) {
    const OriginCase& c = GetParam();
    EXPECT_EQ(dialog_origin(c.work, c.width, c.height), c.origin) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogOrigin,
    testing::Values(OriginCase{"primary", {0, 0, 1920, 1040}, 406, 300, {757, 370}},
                    OriginCase{"odd sizes truncate", {0, 0, 1921, 1041}, 400, 300, {760, 370}},
                    OriginCase{"second monitor on the right", {1920, 0, 3200, 984}, 400, 300, {2360, 342}},
                    OriginCase{"monitor left of the primary", {-1280, 40, 0, 1024}, 400, 300, {-840, 382}},
                    OriginCase{"taller than the work area", {0, 40, 1920, 1040}, 400, 1500, {760, 40}},
                    OriginCase{"wider is not clamped", {0, 0, 800, 600}, 1000, 200, {-100, 200}}));

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// A note on the shortcut goes right under its field; what follows moves down to make room and
// nothing else moves.
TEST(SettingsLayout, ANoteOnTheShortcutMovesWhatFollowsDownByItsRows) {
    for (const int dpi : {96, 144}) {
        const SettingsLayout plain = layout_settings_dialog(dpi);
        const SettingsLayout noted = layout_settings_dialog(dpi, true);
        const int rows = scale(38, dpi);
        EXPECT_EQ(plain.shortcut_note, Rect{});
        EXPECT_EQ(noted.shortcut_note, box(scale(20, dpi), scale(202, dpi), scale(368, dpi), scale(34, dpi)));
        EXPECT_GE(noted.shortcut_note.top, noted.shortcut_field.bottom);
        EXPECT_LT(noted.shortcut_note.bottom, noted.programs_label.top);
        EXPECT_EQ(noted.shortcut_field, plain.shortcut_field);
        EXPECT_EQ(noted.windows_key, plain.windows_key);
        EXPECT_EQ(noted.programs_label.top - plain.programs_label.top, rows) << dpi;
        EXPECT_EQ(noted.credit.top - plain.credit.top, rows) << dpi;
        EXPECT_EQ(noted.ok.top - plain.ok.top, rows) << dpi;
        EXPECT_EQ(noted.client_height - plain.client_height, rows) << dpi;
    }
}

}  // namespace
}  // namespace korvane
