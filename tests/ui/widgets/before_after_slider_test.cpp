#include "ui/widgets/before_after_slider.h"

#include "ui/animation/frame_clock.h"
#include "ui/rendering.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using testing::renderTransparent;
using testing::sameColor;
using testing::solidImage;

const QColor beforeColor(200, 30, 30);
const QColor afterColor(30, 60, 200);

class BeforeAfterSliderTest : public ::testing::Test {
protected:
    BeforeAfterSliderTest()
        : slider(solidImage(QSize(40, 30), beforeColor), solidImage(QSize(400, 300), afterColor),
                 QStringLiteral("ПОСЛЕ · 400×300")) {
        slider.resize(400, 300);
    }

    void mouse(QEvent::Type type, QPointF point) {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, point, slider.mapToGlobal(point), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }

    void settle() {
        time += 10.0;
        FrameClock::instance().advanceTo(time);
    }

    double time = 9000.0;
    BeforeAfterSlider slider;
};

TEST_F(BeforeAfterSliderTest, SourceShowsLeftAndResultRightOfTheSplitLine) {
    slider.setPosition(0.25, false);
    const QImage image = renderTransparent(slider);
    const int y = 80; // clear of the badges, the knob and the zoom control
    EXPECT_TRUE(sameColor(image.pixelColor(60, y), beforeColor));
    EXPECT_TRUE(sameColor(image.pixelColor(84, y), beforeColor, 4));
    EXPECT_TRUE(sameColor(image.pixelColor(116, y), afterColor, 4));
    EXPECT_TRUE(sameColor(image.pixelColor(300, y), afterColor));
}

TEST_F(BeforeAfterSliderTest, PressAloneMovesTheSplitAndDragIsPinnedToTheEdges) {
    mouse(QEvent::MouseButtonPress, QPointF(300, 150));
    EXPECT_TRUE(slider.isDragging());
    EXPECT_DOUBLE_EQ(slider.position(), 0.75);

    mouse(QEvent::MouseMove, QPointF(-80, 150));
    EXPECT_DOUBLE_EQ(slider.position(), 0.0);
    settle();
    EXPECT_DOUBLE_EQ(slider.currentLayout().position, 0.0);

    mouse(QEvent::MouseMove, QPointF(900, 150));
    mouse(QEvent::MouseButtonRelease, QPointF(900, 150));
    EXPECT_FALSE(slider.isDragging());
    settle();
    EXPECT_DOUBLE_EQ(slider.currentLayout().position, 1.0);
}

TEST_F(BeforeAfterSliderTest, HidingMidDragEndsTheDrag) {
    slider.show();
    mouse(QEvent::MouseButtonPress, QPointF(100, 150));
    ASSERT_TRUE(slider.isDragging());
    slider.hide();
    EXPECT_FALSE(slider.isDragging());
    EXPECT_DOUBLE_EQ(slider.currentLayout().knobDiameter, 40.0);
}

} // namespace
} // namespace clarivex
