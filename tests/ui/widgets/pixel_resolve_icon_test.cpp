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
