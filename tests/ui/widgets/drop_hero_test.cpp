#include "ui/animation/frame_clock.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/pixel_resolve_icon.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(DropHeroTest, InvitationOpensFromAnywhereInsideItsFrameAndGrowsWholeUnderADrag) {
    DropHero hero;
    hero.resize(700, 560);
    hero.show();
    QSignalSpy clicked(&hero, &QAbstractButton::clicked);
    const QRectF frame = hero.frameRect();
    // A transparent part inside the rounded frame counts; its cut corner and the glow room do
    // not.
    QTest::mouseClick(&hero, Qt::LeftButton, {}, (frame.topLeft() + QPointF(40, 40)).toPoint());
    QTest::mouseClick(&hero, Qt::LeftButton, {}, (frame.topLeft() + QPointF(2, 2)).toPoint());
    QTest::mouseClick(&hero, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicked.count(), 1);

    // The emblem, a widget of its own, grows with the frame about the frame's centre.
    const auto emblem = [&hero] {
        return hero.icon()->drawnCanvasRect().translated(hero.icon()->pos());
    };
    const QRectF rest = emblem();
    hero.setTargeted(true);
    FrameClock::instance().advanceTo(FrameClock::now());
    FrameClock::instance().advanceTo(FrameClock::now() + 10.0);
    ASSERT_GT(hero.scale(), 1.01);
    EXPECT_NEAR(emblem().width(), rest.width() * hero.scale(), 0.01);
    EXPECT_NEAR(emblem().top() - frame.center().y(),
                (rest.top() - frame.center().y()) * hero.scale(), 0.01);
}

} // namespace
} // namespace clarivex
