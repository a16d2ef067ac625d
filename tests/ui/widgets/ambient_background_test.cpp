#include "ui/animation/frame_clock.h"
#include "ui/widgets/ambient_background.h"

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

TEST(AmbientBackgroundTest, TheBackdropNeverSleepsThroughAVisibleMove) {
    FrameClock& clock = FrameClock::instance();
    AmbientBackground backdrop;
    backdrop.resize(1180, 760);
    const QSizeF canvas(backdrop.size());
    const qreal visible = AmbientScene::visibleShift(canvas, 1.0);
    // One frame of drift is the most a redraw may lag behind.
    const qreal lag = AmbientScene::fastestDrift(canvas) * AmbientScene::frameInterval;
    clock.advanceTo(7000.0);
    backdrop.show();
    int redraws = 0;
    double shown = backdrop.sceneTime();
    for (double now = 7000.0; now < 7060.0; now += AmbientScene::frameInterval) {
        clock.advanceTo(now);
        const auto was = AmbientScene::blobs(canvas, backdrop.sceneTime(), 1.0);
        const auto is = AmbientScene::blobs(canvas, now, 1.0);
        for (size_t i = 0; i < is.size(); ++i) {
            const QPointF moved = is[i].centre - was[i].centre;
            ASSERT_LT(std::hypot(moved.x(), moved.y()), visible + lag) << now;
        }
        redraws += backdrop.sceneTime() != shown;
        shown = backdrop.sceneTime();
    }
    EXPECT_GT(redraws, 10);
}

} // namespace
} // namespace clarivex
