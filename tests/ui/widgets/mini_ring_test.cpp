#include "ui/widgets/mini_ring.h"

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

TEST(MiniRingTest, ArcIsNeverEmptyAndNeverMoreThanTheCircle) {
    const std::pair<qreal, qreal> cases[] = {{0.0, 0.02},  {-1.0, 0.02},        {0.01, 0.02},
                                             {0.02, 0.02}, {0.5, 0.5},          {1.0, 1.0},
                                             {3.0, 1.0},   {std::nan(""), 0.02}};
    for (const auto& [value, sweep] : cases)
        EXPECT_DOUBLE_EQ(MiniRing::sweepFraction(value), sweep) << value;
}

TEST(MiniRingTest, RingKeepsRoomForItsStrokeAndGlow) {
    MiniRing ring;
    ring.resize(ring.sizeHint());
    const QRectF circle = ring.ringRect();
    EXPECT_DOUBLE_EQ(circle.width(), 14.0);
    EXPECT_DOUBLE_EQ(circle.height(), 14.0);
    EXPECT_EQ(circle.center(), QRectF(ring.rect()).center());
    EXPECT_GE(circle.left() - MiniRing::lineWidth / 2.0, 0.0);
}

} // namespace
} // namespace clarivex
