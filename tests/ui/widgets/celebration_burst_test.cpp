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

TEST_F(CelebrationBurstTest, HidingEndsTheBurst) {
    burst.setTrigger(1);
    burst.hide();
    EXPECT_FALSE(burst.isPlaying());
}

} // namespace
} // namespace clarivex
