#include "app/queue/job.h"
#include "app/window/queue_card.h"
#include "app/window/queue_strip.h"
#include "ui/rendering.h"
#include "ui/widgets/text_button.h"
#include "window_fixture.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
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

TEST_F(QueueStripTest, BulkActionsShowOnlyWhenThereIsSomethingToClearOrCancel) {
    QueueStrip strip(*fixture.store);
    add("a.jpg", JobStatus::waiting());
    EXPECT_TRUE(strip.clearButton()->isHidden());
    add("b.jpg", JobStatus::done({}));
    EXPECT_FALSE(strip.clearButton()->isHidden());
    EXPECT_TRUE(strip.cancelAllButton()->isHidden());
    add("c.jpg", JobStatus::running({}));
    EXPECT_FALSE(strip.cancelAllButton()->isHidden());
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

    // Between the rows that stay, the cleared one's card leaves; each card keeps its job, and
    // a row's change reaches its own card.
    add("d.jpg", JobStatus::done({}));
    add("e.jpg", JobStatus::waiting());
    fixture.queue().clearFinished();
    test::flushDeletions();
    cards = strip.cards();
    ASSERT_EQ(cards.size(), 3u);
    for (std::size_t index = 0; index < cards.size(); ++index)
        EXPECT_EQ(cards[index]->job(), fixture.queue().jobs()[qsizetype(index)]);
    fixture.queue().jobs()[2]->setStatus(JobStatus::cancelled());
    EXPECT_EQ(cards[2]->badgeSymbol(), QStringLiteral("xmark.circle"));
    EXPECT_EQ(cards[1]->badgeSymbol(), QStringLiteral("clock"));
}

TEST_F(QueueStripTest, NoCardShowsInTheSidePaddingWhileAWholeCardKeepsItsGlow) {
    QueueStrip strip(*fixture.store);
    strip.resize(880, QueueStrip::stripHeight());
    strip.show();
    for (int index = 0; index < 10; ++index)
        add(std::to_string(index) + ".jpg", index ? JobStatus::waiting() : JobStatus::running({}));
    const QImage image = testing::renderTransparent(strip);
    const QRect first = strip.cardRectInStrip(strip.cards()[0]);
    EXPECT_GT(qAlpha(image.pixel(first.left() - 6, first.center().y())), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = strip.width() - QueueStrip::sidePadding; x < image.width(); ++x)
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y;
}

TEST_F(QueueStripTest, CardsGetTheirPicturesAsTheyComeIntoView) {
    QueueStrip strip(*fixture.store);
    strip.resize(880, QueueStrip::stripHeight());
    strip.show();
    for (int index = 0; index < 12; ++index)
        add(std::to_string(index) + ".jpg", JobStatus::waiting());
    const QList<Job*>& jobs = fixture.queue().jobs();
    const auto idle = [&] { return fixture.store->pictures().isIdle(); };
    ASSERT_TRUE(test::settle([&] { return idle() && !jobs[1]->preview().isNull(); }));
    EXPECT_TRUE(jobs[11]->preview().isNull());
    auto* scroll = strip.findChild<QScrollArea*>();
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    ASSERT_TRUE(test::settle([&] { return idle() && !jobs[11]->preview().isNull(); }));
}

TEST_F(QueueStripTest, FocusAfterABulkActionGoesToTheShownJobsCardNeverToAButton) {
    const struct {
        bool cancelAll;
        std::vector<JobStatus> jobs;
    } cases[] = {
        // The clear button goes, and "Отменить всё" would be next.
        {false, {JobStatus::done({}), JobStatus::waiting(), JobStatus::waiting()}},
        // "Отменить всё" goes, and "Очистить готовые" stays.
        {true, {JobStatus::done({}), JobStatus::waiting(), JobStatus::waiting()}},
        // Nothing is left to show.
        {false, {JobStatus::done({})}},
    };
    for (const auto& c : cases) {
        test::WindowFixture fixture;
        QueueStrip strip(*fixture.store);
        strip.resize(800, QueueStrip::stripHeight());
        strip.show();
        QApplication::setActiveWindow(&strip);
        int index = 0;
        for (const JobStatus& status : c.jobs)
            fixture.queue().addDemonstration(fixture.file(std::to_string(index++) + ".jpg"),
                                             MediaKind::image, status);
        TextButton* button = c.cancelAll ? strip.cancelAllButton() : strip.clearButton();
        button->setFocus();
        ASSERT_TRUE(button->hasFocus());
        QTest::keyClick(button, Qt::Key_Space);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_EQ(qobject_cast<TextButton*>(focus), nullptr)
            << c.cancelAll << c.jobs.size() << (focus ? focus->metaObject()->className() : "");
        if (auto* card = qobject_cast<QueueCard*>(focus)) {
            EXPECT_EQ(card->job(), fixture.queue().focused());
        }
    }
}

} // namespace
} // namespace clarivex
