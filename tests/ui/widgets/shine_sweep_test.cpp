#include "ui/widgets/shine_sweep.h"

#include "ui/animation/frame_clock.h"
#include "ui/widgets/card.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(ShinePathTest, BandTravelsFromWellLeftToWellRightOfTheView) {
    EXPECT_DOUBLE_EQ(ShinePath::bandLeft(ShinePath::startPhase, 100), -84.0);
    EXPECT_DOUBLE_EQ(ShinePath::bandLeft(ShinePath::endPhase, 100), 154.0);
    EXPECT_DOUBLE_EQ(ShinePath::bandWidth(100), 35.0);
}

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

TEST(ShineSweepTest, OverlayCoversTheCardItselfAndTakesNoInput) {
    Card frame(20);
    frame.resize(300, 200);
    frame.show();
    ShineSweep* sweep = shine(&frame, 0);
    EXPECT_TRUE(sweep->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(QRectF(sweep->geometry()), frame.cardRect());
    frame.resize(400, 260);
    EXPECT_EQ(QRectF(sweep->geometry()), frame.cardRect());
}

} // namespace
} // namespace clarivex
