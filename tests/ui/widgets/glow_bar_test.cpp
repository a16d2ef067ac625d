#include "ui/widgets/glow_bar.h"

#include "ui/animation/reduce_motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace clarivex {
namespace {

struct FillCase {
    qreal track;
    qreal value;
    qreal height;
    qreal expected;
};

void PrintTo(const FillCase& c, std::ostream* out) {
    *out << "track " << c.track << ", value " << c.value << ", height " << c.height;
}

class GlowBarFillTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(GlowBarFillTest, ClampsAndKeepsAtLeastACircle) {
    const FillCase& c = GetParam();
    EXPECT_DOUBLE_EQ(GlowBarGeometry::fillWidth(c.track, c.value, c.height), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, GlowBarFillTest,
                         ::testing::Values(FillCase{200, 0.0, 6, 6}, FillCase{200, -0.5, 6, 6},
                                           FillCase{200, 0.01, 6, 6}, FillCase{200, 0.03, 6, 6},
                                           FillCase{200, 0.5, 6, 100}, FillCase{200, 1.0, 6, 200},
                                           FillCase{200, 1.7, 6, 200},
                                           FillCase{200, std::nan(""), 6, 6},
                                           FillCase{0, 0.5, 6, 6}, FillCase{300, 0.5, 20, 150}));

class GlowBarWidgetTest : public ::testing::Test {
protected:
    void TearDown() override { ReduceMotion::setOverride(false); }
};

TEST_F(GlowBarWidgetTest, ShimmersOnlyWhileShownAndMotionIsWelcome) {
    GlowBar bar;
    bar.resize(300, 30);
    EXPECT_FALSE(bar.isShimmering());
    bar.show();
    EXPECT_TRUE(bar.isShimmering());
    bar.hide();
    EXPECT_FALSE(bar.isShimmering());

    ReduceMotion::setOverride(true);
    bar.show();
    EXPECT_FALSE(bar.isShimmering());
    bar.hide();
}

} // namespace
} // namespace clarivex
