#include "app/queue/job.h"
#include "app/window/queue_card.h"
#include "app/window/queue_strip.h"
#include "ui/widgets/text_button.h"
#include "window_fixture.h"

#include <QTest>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

class QueueStripTest : public ::testing::Test {
protected:
    Job* add(const std::string& name, JobStatus status) {
        return fixture.queue().addDemonstration(fixture.file(name), MediaKind::image,
                                                std::move(status));
    }

    test::WindowFixture fixture;
};

TEST_F(QueueStripTest, CounterAndBulkActionsFollowPendingAndFinishedJobs) {
    QueueStrip strip(*fixture.store);
    const struct {
        JobStatus added;
        const char* counter;
        bool clear;
        bool cancelAll;
    } steps[] = {
        {JobStatus::done({}), "всё готово", true, false},
        {JobStatus::waiting(), "1 в работе", true, false},
        {JobStatus::running({}), "2 в работе", true, true},
    };
    int index = 0;
    for (const auto& step : steps) {
        add("file" + std::to_string(index++) + ".jpg", step.added);
        EXPECT_EQ(strip.counterText(), QString::fromUtf8(step.counter));
        EXPECT_EQ(!strip.clearButton()->isHidden(), step.clear) << step.counter;
        EXPECT_EQ(!strip.cancelAllButton()->isHidden(), step.cancelAll) << step.counter;
    }
}

TEST_F(QueueStripTest, CardsFollowTheQueueAndAClickPutsTheirJobOnTheStage) {
    QueueStrip strip(*fixture.store);
    strip.resize(800, QueueStrip::stripHeight());
    strip.show();
    Job* running = add("a.jpg", JobStatus::running({}));
    Job* waiting = add("holiday.photo.jpg", JobStatus::waiting());
    add("c.jpg", JobStatus::cancelled());

    std::vector<QueueCard*> cards = strip.cards();
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[1]->title(), QStringLiteral("holiday.photo"));
    EXPECT_EQ(cards[1]->badgeSymbol(), QStringLiteral("clock"));
    EXPECT_EQ(cards[2]->badgeSymbol(), QStringLiteral("xmark.circle"));
    EXPECT_TRUE(cards[0]->isSelected());
    EXPECT_EQ(fixture.queue().focused(), running);

    // The click lands on the card's edge, where its neighbour's glow room overlaps it.
    const QRect second = strip.cardRectInStrip(cards[1]);
    QWidget* row = cards[1]->parentWidget();
    QTest::mouseClick(row, Qt::LeftButton, {},
                      row->mapFrom(&strip, QPoint(second.left() + 2, second.center().y())));
    EXPECT_EQ(fixture.queue().selectedID(), waiting->id());
    EXPECT_TRUE(cards[1]->isSelected());
    EXPECT_FALSE(cards[0]->isSelected());

    // The keyboard selects as the pointer does.
    QTest::keyClick(cards[2], Qt::Key_Space);
    EXPECT_EQ(fixture.queue().focused(), fixture.queue().jobs()[2]);

    fixture.queue().clearFinished();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(strip.cards().size(), 2u);
}

} // namespace
} // namespace clarivex
