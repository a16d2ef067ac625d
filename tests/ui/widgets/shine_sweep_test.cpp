#include "ui/widgets/shine_sweep.h"

#include "ui/animation/frame_clock.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(ShineSweepTest, FirstTriggerIsQuietAndEachChangeSweepsFromTheStart) {
    FrameClock& clock = FrameClock::instance();
    const double duration = ShinePath::durationMs / 1000.0;
    clock.advanceTo(12000.0);
    QWidget view;
    view.resize(400, 100);
    view.show();
    ShineSweep* sweep = shine(&view, 7);
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::restingPhase);
    EXPECT_EQ(shine(&view, 7), sweep);

    // A change mid-sweep starts over from the left.
    shine(&view, 8);
    clock.advanceTo(12000.0);
    clock.advanceTo(12000.0 + duration / 2);
    shine(&view, 9);
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::startPhase);
    clock.advanceTo(12000.0 + duration / 2);
    clock.advanceTo(12000.0 + duration * 2);
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::endPhase);
    EXPECT_EQ(clock.activeTickerCount(), 0);
}

} // namespace
} // namespace clarivex
