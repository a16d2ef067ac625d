#include "ui/widgets/celebration_burst.h"

#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/rendering.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

class CelebrationBurstTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.advanceTo(7000.0);
        burst.resize(400, 300);
        burst.setTrigger(0);
        burst.show();
    }
    void TearDown() override { ReduceMotion::setOverride(false); }

    FrameClock& clock = FrameClock::instance();
    CelebrationBurst burst;
};

TEST_F(CelebrationBurstTest, FirstValueFiresNothingAndEachChangeOneBurst) {
    EXPECT_FALSE(burst.isPlaying());
    burst.setTrigger(1);
    EXPECT_TRUE(burst.isPlaying());
    EXPECT_EQ(burst.particles().size(), 90u);
    clock.advanceTo(7001.65);
    EXPECT_TRUE(burst.isPlaying());
    clock.advanceTo(7001.71);
    EXPECT_FALSE(burst.isPlaying());
}

TEST_F(CelebrationBurstTest, DrawsWhilePlayingAndNothingFrom1Point6On) {
    burst.setTrigger(1);
    clock.advanceTo(7000.1);
    const QImage during = testing::renderTransparent(burst);
    // The flash alone lights the burst's origin.
    EXPECT_GT(testing::pixel(during, 200, 135).alpha(), 0);

    clock.advanceTo(7001.6);
    ASSERT_TRUE(burst.isPlaying());
    const QImage after = testing::renderTransparent(burst);
    for (int y = 0; y < after.height(); y += 3) {
        for (int x = 0; x < after.width(); x += 3)
            ASSERT_EQ(qAlpha(after.pixel(x, y)), 0) << x << "," << y;
    }
}

TEST_F(CelebrationBurstTest, SecondSuccessGetsItsFullTime) {
    burst.setTrigger(1);
    clock.advanceTo(7001.0);
    burst.setTrigger(2);
    // 1.7 s after the first trigger the second burst is still on.
    clock.advanceTo(7001.75);
    EXPECT_TRUE(burst.isPlaying());
    EXPECT_NEAR(*burst.elapsed(), 0.75, 1e-9);
    clock.advanceTo(7002.71);
    EXPECT_FALSE(burst.isPlaying());
}

TEST_F(CelebrationBurstTest, ReduceMotionPlaysNoBurst) {
    ReduceMotion::setOverride(true);
    burst.setTrigger(5);
    EXPECT_FALSE(burst.isPlaying());
}

TEST_F(CelebrationBurstTest, HidingEndsTheBurst) {
    burst.setTrigger(1);
    burst.hide();
    EXPECT_FALSE(burst.isPlaying());
}

} // namespace
} // namespace clarivex
