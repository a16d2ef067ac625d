// The views need an application. Tests run it offscreen with reduce motion on, so that every
// transition lands at once and nothing depends on timing.
#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    clarivex::Theme::install(application);
    clarivex::FrameClock::instance().setManualTime(1000.0);
    clarivex::ReduceMotion::setOverride(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
