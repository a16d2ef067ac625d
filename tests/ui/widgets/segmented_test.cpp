#include "ui/widgets/segmented.h"

#include "ui/animation/frame_clock.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

class SegmentedTest : public ::testing::Test {
protected:
    SegmentedTest() {
        control.setOptions({{1, "Фото"}, {2, "Графика"}, {3, "Видео"}});
        control.resize(control.sizeHint().width() + 60, control.sizeHint().height());
    }

    void click(QPointF point) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, point, control.mapToGlobal(point), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(&control, &event);
        }
    }

    QRectF segment(int index) const {
        return SegmentedLayout::segments(control.controlRect(), 3)[size_t(index)];
    }

    Segmented control;
};

TEST_F(SegmentedTest, TapSelectsWithASignalAndTheCapsuleSlidesThere) {
    FrameClock& clock = FrameClock::instance();
    clock.advanceTo(11000.0);
    control.show();
    control.setSelection(1, false);
    QSignalSpy changed(&control, &Segmented::selectionChanged);
    QSignalSpy activated(&control, &Segmented::activated);
    click(segment(2).center());
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.front().front().toInt(), 3);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(control.selection().toInt(), 3);

    // The slide starts at its first frame.
    clock.advanceTo(11000.0);
    clock.advanceTo(11005.0);
    EXPECT_EQ(control.capsuleRect(), segment(2));

    click(segment(2).center());
    EXPECT_EQ(activated.count(), 1);
    // Set from outside, the selection notifies its watchers but is no user's choice.
    control.setSelection(1);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(activated.count(), 1);
}

} // namespace
} // namespace clarivex
