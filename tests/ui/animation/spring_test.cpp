#include "ui/animation/frame_clock.h"
#include "ui/animation/spring.h"
#include "ui/animation/spring_value.h"
#include "ui/paint/theme.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(SpringTest, NearlyCriticalDampingMatchesCriticalDamping) {
    const Spring critical({0.38, 1.0}, 0.0, 1.0);
    const Spring under({0.38, 1.0 - 1e-6}, 0.0, 1.0);
    const Spring over({0.38, 1.0 + 1e-6}, 0.0, 1.0);
    for (double t : {0.05, 0.1, 0.3}) {
        EXPECT_NEAR(under.value(t), critical.value(t), 1e-4);
        EXPECT_NEAR(over.value(t), critical.value(t), 1e-4);
    }
}

TEST(SpringValueTest, RetargetingMidFlightKeepsValueAndVelocity) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(3000.0);
    SpringValue value(0.0, Theme::spring(), [] {});
    value.animateTo(1.0);
    clock.advanceTo(3000.05);
    const double before = value.value();
    value.animateTo(-1.0);
    clock.advanceTo(3000.05);
    EXPECT_DOUBLE_EQ(value.value(), before);
    // Still moving up for a moment: the velocity carried over.
    clock.advanceTo(3000.06);
    EXPECT_GT(value.value(), before);
    clock.advanceTo(3010.0);
    EXPECT_FALSE(value.isAnimating());
    EXPECT_EQ(value.value(), -1.0);
}

TEST(FrameTickerTest, ATickerMayStopAnotherDuringAFrame) {
    FrameClock& clock = FrameClock::instance();
    int secondFrames = 0;
    FrameTicker second([&secondFrames](double) { ++secondFrames; });
    FrameTicker first([&second](double) { second.stop(); });
    first.start();
    second.start();
    clock.advanceTo(5000.0);
    EXPECT_EQ(secondFrames, 0);
    EXPECT_FALSE(second.isActive());
    first.stop();
    EXPECT_EQ(clock.activeTickerCount(), 0);
}

} // namespace
} // namespace clarivex
