#include "ui/widgets/shine_sweep.h"

#include "ui/animation/frame_clock.h"
#include "ui/widgets/card.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(ShinePathTest, BandIsOffTheViewAtRestAndAtBothEndsOfTheSweep) {
    for (const QSizeF size : {QSizeF(600, 120), QSizeF(300, 300)}) {
        EXPECT_FALSE(ShinePath::crosses(ShinePath::restingPhase, size.width(), size.height()));
        EXPECT_FALSE(ShinePath::crosses(ShinePath::startPhase, size.width(), size.height()));
        EXPECT_FALSE(ShinePath::crosses(ShinePath::endPhase, size.width(), size.height()));
        EXPECT_TRUE(ShinePath::crosses(0.3, size.width(), size.height()));
    }
}

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
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::restingPhase);

    shine(&view, 8);
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::startPhase);
    clock.advanceTo(12000.0 + duration / 2);
    EXPECT_NEAR(sweep->phase(), (ShinePath::startPhase + ShinePath::endPhase) / 2, 1e-6);

    // A change mid-sweep starts over from the left.
    shine(&view, 9);
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::startPhase);
    clock.advanceTo(12000.0 + duration * 2);
    EXPECT_DOUBLE_EQ(sweep->phase(), ShinePath::endPhase);
    EXPECT_EQ(clock.activeTickerCount(), 0);
}

} // namespace
} // namespace clarivex
