#include "app/window/sidebar.h"
#include "ui/animation/frame_clock.h"
#include "ui/widgets/loop_fade_stepper.h"
#include "ui/widgets/option_tile.h"
#include "ui/widgets/reveal_box.h"
#include "ui/widgets/size_tile.h"
#include "ui/widgets/toggle_switch.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(Sidebar, ControlsWriteTheStoreAndFollowIt) {
    test::WindowFixture fixture;
    OptionsModel& settings = fixture.store->settings();
    settings.setSeamlessLoop(false);
    settings.setLoopFade(2.5);
    test::MotionOn motion;
    Sidebar sidebar(*fixture.store);
    sidebar.show();

    QList<OptionTile*> models = sidebar.findChildren<OptionTile*>();
    ASSERT_EQ(models.size(), 4);
    models[2]->click();
    EXPECT_EQ(settings.model(), ModelChoice::art);
    EXPECT_TRUE(models[2]->isSelected() && !models[0]->isSelected());

    QList<SizeTile*> sizes = sidebar.findChildren<SizeTile*>();
    ASSERT_EQ(sizes.size(), 4);
    // No widget between a size tile and the sidebar cuts the shadow it casts around itself.
    sidebar.resize(Sidebar::columnWidth, 760);
    sidebar.show();
    for (SizeTile* tile : sizes)
        for (QWidget* parent = tile->parentWidget(); parent != &sidebar;
             parent = parent->parentWidget())
            EXPECT_TRUE(parent->rect().contains(QRect(tile->mapTo(parent, QPoint()), tile->size())
                                                    .marginsAdded(SizeTile::overhang())));
    sizes[2]->click();
    EXPECT_EQ(settings.target(), Target::fullHD);

    // The seam row shows only with the loop on, the rows below making room for it on the spring
    // as it comes and goes, and hiding it keeps its value.
    EXPECT_FALSE(sidebar.showsLoopFade());
    QList<ToggleSwitch*> toggles = sidebar.findChildren<ToggleSwitch*>();
    ASSERT_EQ(toggles.size(), 2);
    const RevealBox* seam = sidebar.findChild<RevealBox*>();
    LoopFadeStepper* stepper = sidebar.findChild<LoopFadeStepper*>();
    double now = FrameClock::now();
    for (const bool on : {true, false}) {
        toggles[0]->click();
        EXPECT_TRUE(settings.seamlessLoop() == on && sidebar.showsLoopFade() == on);
        FrameClock::instance().advanceTo(now);
        // The row slides and fades, drawn whole at every frame: no edge cuts through its text.
        for (int frame = 0; frame < 5; ++frame) {
            FrameClock::instance().advanceTo(now += 0.02);
            EXPECT_TRUE(seam->height() > 0 && seam->height() < seam->fullHeight()) << on;
            EXPECT_EQ(stepper->visibleRegion().boundingRect(), stepper->rect()) << on << frame;
        }
        FrameClock::instance().advanceTo(now += 10.0);
        EXPECT_EQ(seam->height(), on ? seam->fullHeight() : 0);
    }
    EXPECT_EQ(stepper->value(), 2.5);
    EXPECT_EQ(settings.loopFade(), 2.5);

    settings.setCopyToPictures(false);
    EXPECT_FALSE(toggles[1]->isChecked());
}

} // namespace
} // namespace clarivex
