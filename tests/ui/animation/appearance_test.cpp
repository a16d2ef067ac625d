#include "ui/animation/appearance.h"
#include "ui/animation/frame_clock.h"
#include "ui/paint/theme.h"
#include "ui/widgets/pill_button.h"

#include <QImage>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(AppearanceTest, AViewInMotionIsDrawnWholeWithinItsRectangleAndRestsWithoutAnEffect) {
    // A view with a glowing child, coming in on a black window: at each instant it is drawn
    // whole (the child's own effect included) and nothing of it falls outside its rectangle.
    QWidget window;
    window.resize(400, 300);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto* view = new QWidget(&window);
    view->setGeometry(80, 80, 240, 140);
    auto* button = new PillButton(QStringLiteral("Открыть"), {}, view);
    button->setGeometry(60, 50, 120, 40);
    window.show();
    Appearance appearance(view, {0.97, {}}, Theme::spring());
    appearance.enter();
    double now = FrameClock::now();
    // However long the view took to come, its first frame shows it away.
    FrameClock::instance().advanceTo(now += 0.15);
    EXPECT_EQ(appearance.amount(), 0.0);
    for (double step : {0.03, 0.08}) {
        FrameClock::instance().advanceTo(now += step);
        ASSERT_GT(appearance.amount(), 0.05);
        ASSERT_LT(appearance.amount(), 0.99);
        const QImage frame = window.grab().toImage();
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                if (!view->geometry().contains(x, y)) {
                    ASSERT_EQ(frame.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
                }
            }
        }
        const QColor centre = frame.pixelColor(view->geometry().center());
        EXPECT_GT(centre.red(), 40 * appearance.amount()) << "the button is drawn";
    }
    FrameClock::instance().advanceTo(now += 10.0);
    EXPECT_EQ(appearance.amount(), 1.0);
    EXPECT_EQ(view->graphicsEffect(), nullptr);
}

} // namespace
} // namespace clarivex
