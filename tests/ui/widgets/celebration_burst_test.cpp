#include "ui/widgets/celebration_burst.h"

#include "ui/animation/frame_clock.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(CelebrationBurstTest, FirstValueFiresNothingAndABurstEndsByItselfOrWhenHidden) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(7000.0);
    CelebrationBurst burst;
    burst.resize(400, 300);
    burst.setTrigger(0);
    burst.show();
    EXPECT_FALSE(burst.isPlaying());
    burst.setTrigger(1);
    EXPECT_TRUE(burst.isPlaying());
    clock.advanceTo(7010.0);
    EXPECT_FALSE(burst.isPlaying());
    burst.setTrigger(2);
    burst.hide();
    EXPECT_FALSE(burst.isPlaying());
}

} // namespace
} // namespace clarivex
