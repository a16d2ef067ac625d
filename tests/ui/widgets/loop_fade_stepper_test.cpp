#include "ui/widgets/loop_fade_stepper.h"

#include <QAbstractButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(LoopFadeStepperTest, StepperStepsByHalfSecondsWithinItsRange) {
    const struct {
        double from;
        int steps;
        double to;
    } cases[] = {{3.0, 1, 3.0}, {0.5, -1, 0.5}, {1.3, 1, 2.0}};
    for (const auto& entry : cases)
        EXPECT_EQ(LoopFadeStepper::stepped(entry.from, entry.steps), entry.to) << entry.from;

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

} // namespace
} // namespace clarivex
