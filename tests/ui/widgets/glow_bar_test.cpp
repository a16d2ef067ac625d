#include "ui/widgets/glow_bar.h"

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

TEST(GlowBarFillTest, ClampsAndKeepsAtLeastACircle) {
    const struct {
        qreal track;
        qreal value;
        qreal height;
        qreal expected;
    } cases[] = {{200, -0.5, 6, 6},  {200, 0.01, 6, 6},         {200, 0.5, 6, 100},
                 {200, 1.7, 6, 200}, {200, std::nan(""), 6, 6}, {0, 0.5, 6, 6}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(GlowBarGeometry::fillWidth(c.track, c.value, c.height), c.expected)
            << c.track << " " << c.value;
}

} // namespace
} // namespace clarivex
