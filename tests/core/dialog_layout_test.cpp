#include <gtest/gtest.h>

#include "core/dialog_layout.hpp"

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
