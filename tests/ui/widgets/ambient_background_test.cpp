#include "ui/widgets/ambient_background.h"

#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"
#include "ui/rendering.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

class AmbientBackgroundTest : public ::testing::Test {
protected:
    void TearDown() override { ReduceMotion::setOverride(false); }
};

TEST_F(AmbientBackgroundTest, RedrawsOnlyAfterAGlowMovedAPixelAndNeverWhileHidden) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(8000.0);
    AmbientBackground background;
    background.resize(800, 500);
    background.show();
    EXPECT_TRUE(background.isAnimating());
    EXPECT_DOUBLE_EQ(background.sceneTime(), 8000.0);
    // A thirtieth of a second moves the glows by well under a pixel.
    clock.advanceTo(8000.04);
    EXPECT_DOUBLE_EQ(background.sceneTime(), 8000.0);
    clock.advanceTo(8010.0);
    EXPECT_DOUBLE_EQ(background.sceneTime(), 8010.0);
    background.hide();
    EXPECT_FALSE(background.isAnimating());
}

} // namespace
} // namespace clarivex
