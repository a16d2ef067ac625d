#include "ui/widgets/pill_button.h"

#include "ui/animation/frame_clock.h"
#include "ui/rendering.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using testing::pixel;
using testing::renderTransparent;

TEST(PillButtonTest, DisabledButtonIsTheSameButtonAtFortyPercent) {
    for (const bool filled : {true, false}) {
        PillButton enabled(QStringLiteral("Открыть"), {filled, false});
        PillButton disabled(QStringLiteral("Открыть"), {filled, false});
        disabled.setEnabled(false);
        enabled.resize(enabled.sizeHint());
        disabled.resize(enabled.sizeHint());
        EXPECT_EQ(enabled.capsuleRect(), disabled.capsuleRect());

        const QImage on = renderTransparent(enabled);
        const QImage off = renderTransparent(disabled);
        // A point on the capsule away from the label.
        const QPoint probe = (enabled.capsuleRect().topLeft() + QPointF(10, 17)).toPoint();
        const QColor full = pixel(on, probe.x(), probe.y());
        const QColor faded = pixel(off, probe.x(), probe.y());
        ASSERT_EQ(full.alpha(), 255) << filled;
        EXPECT_NEAR(faded.alpha(), 102, 2) << filled;
        EXPECT_NEAR(faded.red(), full.red(), 3) << filled;
        EXPECT_NEAR(faded.green(), full.green(), 3) << filled;
        EXPECT_NEAR(faded.blue(), full.blue(), 3) << filled;
    }
}

TEST(PillButtonTest, PressedButtonShrinksAboutItsCentre) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(10000.0);
    PillButton button(QStringLiteral("Показать в Finder"), {false, false});
    button.resize(button.sizeHint());
    const QRectF capsule = button.capsuleRect();
    ASSERT_GT(capsule.width(), 130.0);
    const QPoint edge(int(capsule.left()) + 1, int(capsule.center().y()));
    EXPECT_GT(pixel(renderTransparent(button), edge.x(), edge.y()).alpha(), 200);

    emit button.pressed();
    clock.advanceTo(10002.0);
    EXPECT_DOUBLE_EQ(button.pressAmount(), 1.0);
    // 4 % narrower: the left end moved in by 0.02 × the width, more than 2 points.
    EXPECT_EQ(pixel(renderTransparent(button), edge.x(), edge.y()).alpha(), 0);

    emit button.released();
    clock.advanceTo(10004.0);
    EXPECT_DOUBLE_EQ(button.pressAmount(), 0.0);
}

} // namespace
} // namespace clarivex
