// The parts the main window is built from, each on its own.
#include "ui/animation/appearance.h"
#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/drop_overlay.h"
#include "ui/widgets/engine_indicator.h"
#include "ui/widgets/loop_fade_stepper.h"
#include "ui/widgets/stage_placeholder.h"
#include "ui/widgets/text_button.h"
#include "ui/widgets/toggle_switch.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

class WindowParts : public ::testing::Test {
protected:
    void TearDown() override { ReduceMotion::setOverride(false); }
};

TEST_F(WindowParts, SwitchAndTextButtonReportClicksAndFollowTheModelQuietly) {
    ToggleSwitch toggle;
    QSignalSpy toggled(&toggle, &QAbstractButton::toggled);
    toggle.setOn(true);
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_EQ(toggled.count(), 0);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle.isChecked());
    ASSERT_EQ(toggled.count(), 1);

    TextButton button(QStringLiteral("Отменить всё"), Theme::accent());
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    button.resize(button.sizeHint());
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(WindowParts, StepperStepsByHalfSecondsWithinItsRange) {
    const struct {
        double from;
        int steps;
        double to;
    } cases[] = {{1.5, 1, 2.0}, {3.0, 1, 3.0}, {0.5, -1, 0.5}, {1.0, -1, 0.5}, {1.3, 1, 2.0}};
    for (const auto& entry : cases)
        EXPECT_EQ(LoopFadeStepper::stepped(entry.from, entry.steps), entry.to) << entry.from;
    EXPECT_EQ(LoopFadeStepper::text(1.5), QStringLiteral("1.5 с"));

    LoopFadeStepper stepper;
    QSignalSpy changed(&stepper, &LoopFadeStepper::valueChanged);
    stepper.setValue(9.0);
    EXPECT_EQ(stepper.value(), 3.0);
    const QList<QAbstractButton*> buttons = stepper.findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_FALSE(buttons[1]->isEnabled());
    buttons[0]->click();
    EXPECT_EQ(stepper.value(), 2.5);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(WindowParts, EngineIndicatorSaysWhereTheEngineIsOrWhyNot) {
    EngineIndicator indicator;
    indicator.setState(std::nullopt, QStringLiteral("/opt/realesrgan"));
    EXPECT_TRUE(indicator.isReady());
    EXPECT_EQ(indicator.label(), QStringLiteral("ДВИЖОК ГОТОВ"));
    EXPECT_EQ(indicator.toolTip(), QStringLiteral("Real-ESRGAN: /opt/realesrgan"));
    indicator.setState(QStringLiteral("Не найден движок."), {});
    EXPECT_FALSE(indicator.isReady());
    EXPECT_EQ(indicator.label(), QStringLiteral("НЕТ ДВИЖКА"));
    EXPECT_EQ(indicator.toolTip(), QStringLiteral("Не найден движок."));
}

TEST_F(WindowParts, InvitationOpensFromAnywhereInsideItsFrameAndTurnsWhileTargeted) {
    DropHero hero;
    hero.resize(700, 560);
    QSignalSpy clicked(&hero, &QAbstractButton::clicked);
    const QRectF frame = hero.frameRect();
    // A transparent part inside the rounded frame counts; its cut corner and the glow room do
    // not.
    QTest::mouseClick(&hero, Qt::LeftButton, {}, (frame.topLeft() + QPointF(40, 40)).toPoint());
    QTest::mouseClick(&hero, Qt::LeftButton, {}, (frame.topLeft() + QPointF(2, 2)).toPoint());
    QTest::mouseClick(&hero, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicked.count(), 1);

    EXPECT_EQ(hero.title(), QStringLiteral("Перетащите фото или видео"));
    hero.setTargeted(true);
    EXPECT_EQ(hero.title(), QStringLiteral("Отпускайте"));
    EXPECT_TRUE(hero.isTargeted());
}

TEST_F(WindowParts, OverlayAndPlaceholderAnimateOnlyWhileShown) {
    ReduceMotion::setOverride(true);
    DropOverlay overlay;
    overlay.setShowing(true);
    EXPECT_TRUE(overlay.isShowing());
    EXPECT_FALSE(overlay.isHidden());
    overlay.setShowing(false);
    EXPECT_TRUE(overlay.isHidden());

    ReduceMotion::setOverride(false);
    const int before = FrameClock::instance().activeTickerCount();
    StagePlaceholder placeholder;
    EXPECT_EQ(FrameClock::instance().activeTickerCount(), before);
    placeholder.show();
    EXPECT_EQ(FrameClock::instance().activeTickerCount(), before + 1);
    placeholder.hide();
    EXPECT_EQ(FrameClock::instance().activeTickerCount(), before);
}

TEST_F(WindowParts, AppearanceBringsAViewInAndHandsItBackWhenGone) {
    QWidget view;
    view.resize(200, 100);
    view.show();
    Appearance appearance(&view, {0.97, {}}, Theme::spring());
    appearance.enter();
    EXPECT_NE(view.graphicsEffect(), nullptr);
    FrameClock::instance().advanceTo(1010.0);
    // At rest the view paints as usual, with no effect.
    EXPECT_EQ(appearance.amount(), 1.0);
    EXPECT_EQ(view.graphicsEffect(), nullptr);

    bool gone = false;
    appearance.leave([&] { gone = true; });
    EXPECT_TRUE(appearance.isLeaving());
    EXPECT_FALSE(gone);
    FrameClock::instance().advanceTo(1020.0);
    EXPECT_TRUE(gone);
}

} // namespace
} // namespace clarivex
