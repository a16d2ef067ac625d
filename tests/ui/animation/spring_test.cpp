#include "ui/animation/eased_value.h"
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

TEST(SpringValueTest, AMotionStartsAtItsFirstFrameHoweverLateThatComes) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(2000.0);
    const Spring reference(Theme::spring(), 0.0, 1.0);
    SpringValue value(0.0, Theme::spring(), [] {});
    value.animateTo(1.0);
    // The window was busy for 150 ms after asking (a view built and pictured, files added).
    clock.advanceTo(2000.15);
    EXPECT_EQ(value.value(), 0.0);
    clock.advanceTo(2000.15 + 1.0 / 60);
    EXPECT_NEAR(value.value(), reference.value(1.0 / 60), 1e-9);
    clock.advanceTo(2000.25);
    EXPECT_NEAR(value.value(), reference.value(0.1), 1e-9);
}

TEST(SpringValueTest, RetargetingMidFlightGoesOnFromTheLastFrameShown) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(3000.0);
    SpringValue value(0.0, Theme::spring(), [] {});
    value.animateTo(1.0);
    clock.advanceTo(3000.0);
    clock.advanceTo(3000.05);
    const double before = value.value();
    ASSERT_GT(before, 0.0);
    value.animateTo(-1.0);
    EXPECT_DOUBLE_EQ(value.value(), before);
    // Still moving up for a moment: the velocity carried over, and no frame stood still.
    clock.advanceTo(3000.06);
    EXPECT_GT(value.value(), before);
    clock.advanceTo(3010.0);
    EXPECT_FALSE(value.isAnimating());
    EXPECT_EQ(value.value(), -1.0);
}

TEST(EasedValueTest, AnEaseStartsAtItsFirstFrameToo) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(4000.0);
    EasedValue value(0.0, 200, QEasingCurve::Linear, [] {});
    value.animateTo(1.0);
    clock.advanceTo(4000.3);
    EXPECT_EQ(value.value(), 0.0);
    clock.advanceTo(4000.4);
    EXPECT_NEAR(value.value(), 0.5, 1e-9);
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

TEST(FrameTickerTest, ASleepingTickerWakesAtItsTimeAndTheClockWaitsForIt) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(6000.0);
    int frames = 0;
    FrameTicker ticker([&frames](double) { ++frames; });
    ticker.start();
    ticker.sleepUntil(6002.0);
    clock.advanceTo(6001.9);
    EXPECT_EQ(frames, 0);
    clock.advanceTo(6002.0);
    EXPECT_EQ(frames, 1);
    // Woken, it takes every frame again.
    clock.advanceTo(6002.01);
    EXPECT_EQ(frames, 2);

    // On the running clock the timer sleeps as long as the ticker does, and no longer than a
    // frame once the ticker is awake.
    clock.clearManualTime();
    ticker.sleepUntil(FrameClock::now() + 30.0);
    ASSERT_TRUE(clock.timerInterval());
    EXPECT_GT(*clock.timerInterval(), 1000);
    ticker.sleepUntil(0.0);
    EXPECT_LE(*clock.timerInterval(), 16);
    clock.setManualTime(6003.0);
    EXPECT_FALSE(clock.timerInterval());
}

} // namespace
} // namespace clarivex
