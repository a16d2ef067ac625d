#include "ui/widgets/ambient_background.h"

#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"
#include "ui/rendering.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(AmbientSceneTest, GridHasALineEvery22PointsAndNoneForAnEmptySide) {
    const auto rects = AmbientScene::gridRects(QSizeF(44, 30));
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[0], QRectF(0, 0, 0.5, 30));
    EXPECT_EQ(rects[1], QRectF(22, 0, 0.5, 30));
    EXPECT_EQ(rects[2], QRectF(0, 0, 44, 0.5));
    EXPECT_EQ(rects[3], QRectF(0, 22, 44, 0.5));
    EXPECT_TRUE(AmbientScene::gridRects(QSizeF(0, 300)).empty());
    EXPECT_TRUE(AmbientScene::gridRects(QSizeF(300, 0)).empty());
}

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

TEST_F(AmbientBackgroundTest, ReduceMotionShowsTimeZeroAndStandsStill) {
    ReduceMotion::setOverride(true);
    AmbientBackground background;
    background.resize(400, 300);
    background.show();
    EXPECT_FALSE(background.isAnimating());
    EXPECT_DOUBLE_EQ(background.sceneTime(), 0.0);
    background.hide();
}

TEST_F(AmbientBackgroundTest, IntensityZeroStillPaintsTheBackgroundAndTheGrid) {
    ReduceMotion::setOverride(true);
    AmbientBackground background;
    background.resize(400, 300);
    background.setIntensityImmediately(0.0);
    const QImage image = testing::renderTransparent(background);
    EXPECT_TRUE(testing::sameColor(testing::pixel(image, 200, 150), Theme::background(), 1));
    // On a grid line near the corner, white at 0.035 over the background lifts it slightly.
    const QColor corner = testing::pixel(image, 0, 0);
    EXPECT_GT(corner.red(), Theme::background().red());
    EXPECT_LT(corner.red(), Theme::background().red() + 12);
    EXPECT_EQ(corner.red(), corner.green());
}

} // namespace
} // namespace clarivex
