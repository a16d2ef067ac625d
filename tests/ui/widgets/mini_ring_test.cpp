#include "ui/widgets/mini_ring.h"

#include "ui/rendering.h"

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

TEST(MiniRingTest, GlowFadesPastTheArcsEndsAndBeyondTheWidget) {
    QWidget parent;
    parent.resize(60, 60);
    auto* ring = new MiniRing(&parent);
    ring->setGeometry(20, 20, 14, 14);
    ring->setValueImmediately(0.25);
    parent.show();
    EXPECT_EQ(ring->ringRect(), QRectF(0, 0, 14, 14));
    const QImage image = testing::renderTransparent(parent);
    // Just anticlockwise of the start at 12 o'clock, outside the widget and the track: the
    // glow fades softly there instead of stopping at a hard wedge.
    EXPECT_GT(testing::pixel(image, 24, 17).alpha(), 3);
    // Opposite the arc, at 6 o'clock, there is no glow at all.
    EXPECT_EQ(testing::pixel(image, 27, 37).alpha(), 0);
}

} // namespace
} // namespace clarivex
