#include "ui/widgets/pixel_resolve_icon.h"

#include "ui/animation/reduce_motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace clarivex {
namespace {

TEST(PixelResolveSceneTest, GridStepsToTheFinerLevelExactlyAtEachQuarter) {
    const std::pair<double, int> cases[] = {
        {0.0, 3},     {0.2499, 3}, {0.25, 6},   {0.4999, 6}, {0.5, 12},
        {0.7499, 12}, {0.75, 24},  {0.999, 24}, {1.0, 24},
    };
    for (const auto& [progress, grid] : cases)
        EXPECT_EQ(PixelResolveScene::gridSize(progress), grid) << progress;
}

TEST(PixelResolveSceneTest, PhaseRunsTwiceAsFastWhileActive) {
    EXPECT_DOUBLE_EQ(PixelResolveScene::phase(10.0, false, false), 8.0);
    EXPECT_DOUBLE_EQ(PixelResolveScene::phase(10.0, true, false), 16.0);
    // One full cycle: 2π/1.6 s active, 2π/0.8 s idle.
    const double cycle = 2.0 * std::numbers::pi / 1.6;
    EXPECT_NEAR(PixelResolveScene::progress(PixelResolveScene::phase(3.0 + cycle, true, false)),
                PixelResolveScene::progress(PixelResolveScene::phase(3.0, true, false)), 1e-12);
}

TEST(PixelResolveSceneTest, ReduceMotionShowsTheAlmostSharpFinestLevel) {
    const double phase = PixelResolveScene::phase(1234.5, true, true);
    EXPECT_DOUBLE_EQ(phase, 1.2);
    const double progress = PixelResolveScene::progress(phase);
    EXPECT_NEAR(progress, 0.966, 0.001);
    EXPECT_EQ(PixelResolveScene::gridSize(progress), 24);
    // Darkening at about 3.4 % of its coarse-level strength.
    EXPECT_NEAR(PixelResolveScene::cellOpacity(progress, 4) / PixelResolveScene::cellOpacity(0, 4),
                0.034, 0.001);
}

TEST(PixelResolveSceneTest, NonSquareCanvasKeepsTheTileSquareAndCentred) {
    EXPECT_EQ(PixelResolveScene::tile(QSizeF(300, 150)), QRectF(90, 15, 120, 120));
    EXPECT_EQ(PixelResolveScene::tile(QSizeF(150, 150)), QRectF(15, 15, 120, 120));
}

TEST(PixelResolveIconTest, AnimatesOnlyWhileShownAndMotionIsWelcome) {
    PixelResolveIcon icon;
    icon.resize(icon.sizeHint());
    icon.show();
    EXPECT_TRUE(icon.isAnimating());
    icon.hide();
    EXPECT_FALSE(icon.isAnimating());

    ReduceMotion::setOverride(true);
    icon.show();
    EXPECT_FALSE(icon.isAnimating());
    EXPECT_NEAR(icon.currentProgress(), 0.966, 0.001);
    icon.hide();
    ReduceMotion::setOverride(false);
}

} // namespace
} // namespace clarivex
