#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/widgets/ambient_background.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/pixel_resolve_icon.h"
#include "ui/widgets/stage_placeholder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace clarivex {
namespace {

class TickingWidgetsTest : public ::testing::Test {
protected:
    void TearDown() override { ReduceMotion::setOverride(false); }
};

TEST_F(TickingWidgetsTest, AnimatedPartsTickOnlyWhileShownAndMotionIsWelcome) {
    const std::function<std::unique_ptr<QWidget>()> makers[] = {
        [] { return std::make_unique<GlowBar>(); },
        [] { return std::make_unique<PixelResolveIcon>(); },
        [] { return std::make_unique<AmbientBackground>(); },
        [] { return std::make_unique<StagePlaceholder>(); },
    };
    FrameClock& clock = FrameClock::instance();
    const int before = clock.activeTickerCount();
    for (const auto& make : makers) {
        for (const bool reduce : {false, true}) {
            ReduceMotion::setOverride(reduce);
            const std::unique_ptr<QWidget> part = make();
            part->resize(300, 200);
            EXPECT_EQ(clock.activeTickerCount(), before);
            part->show();
            EXPECT_EQ(clock.activeTickerCount(), before + !reduce)
                << part->metaObject()->className() << reduce;
            part->hide();
            EXPECT_EQ(clock.activeTickerCount(), before);
        }
    }
}

} // namespace
} // namespace clarivex
