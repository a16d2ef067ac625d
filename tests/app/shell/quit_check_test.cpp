// The quit check against a store whose pipeline is scripted: when it asks, and that "Выйти"
// stops the running job before it answers.
#include "../queue/queue_fixture.h"

#include "app/shell/main_window.h"
#include "app/shell/quit_check.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>

using namespace clarivex;
using Answer = QuitCheck::Answer;

namespace {

class QuitCheckTest : public test::QueueFixture {
protected:
    // An asker that records how often it was asked, and what it was told.
    QuitCheck::Ask answering(Answer answer) {
        return [this, answer](QWidget*, const QString& text) {
            ++asked;
            told = text;
            return answer;
        };
    }
    int asked = 0;
    QString told;
};

TEST_F(QuitCheckTest, NothingPendingQuitsWithoutAsking) {
    QuitCheck check(store(), answering(Answer::stay));
    EXPECT_TRUE(check.approve(nullptr));
    // A done job whose pictures are still on their way is no reason to ask.
    decoder.hold();
    const auto jobs = queue().add({file("a.png")}, true);
    ASSERT_TRUE(settle([&] { return queue().hasCurrent(); }));
    script.end(test::ScriptedPipeline::resultFor(jobs[0]->url()));
    ASSERT_TRUE(settle([&] { return jobs[0]->status().is(JobStatus::Case::done); }));
    queue().addDemonstration(file("failed.png"), MediaKind::image, JobStatus::failed("x"));
    queue().addDemonstration(file("cancelled.png"), MediaKind::image, JobStatus::cancelled());
    EXPECT_TRUE(check.approve(nullptr));
    EXPECT_EQ(asked, 0);
}

// Quitting ends the program, not the user's wish: a running video is stopped so that it keeps
// its finished segments, and the question says so.
TEST_F(QuitCheckTest, QuittingStopsTheRunningJobBeforeItAnswersAndKeepsAVideosParts) {
    const auto jobs = queue().add({file("a.mp4"), file("b.png")}, true);
    ASSERT_TRUE(settle([&] { return queue().hasCurrent(); }));
    QLabel window;
    window.show();
    QuitCheck check(store(), answering(Answer::quit));
    // Told as soon as the quit is decided, while the job still runs.
    bool ranWhenTold = false;
    EXPECT_TRUE(check.approve(&window, [&] { ranWhenTold = queue().hasCurrent(); }));
    EXPECT_TRUE(ranWhenTold);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window.isVisible());
    // Without running the event loop again: the process may end right here.
    EXPECT_FALSE(queue().hasCurrent());
    EXPECT_EQ(store().pendingCount(), 0);
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::cancelled));
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::cancelled));
    EXPECT_TRUE(script.lastRunKeepsParts());
    EXPECT_TRUE(told.contains(QStringLiteral("Готовые части видео сохранятся")))
        << told.toStdString();
}

TEST_F(QuitCheckTest, TheWindowAsksWhenClosedAndStaysOnStay) {
    const QList<Job*> jobs = queue().add({file("a.png")}, false);
    MainWindow window(store(), new QLabel, answering(Answer::stay));
    window.show();
    int quitting = 0;
    QObject::connect(&window, &MainWindow::quitting, [&] { ++quitting; });
    const QList<QAction*> menu = window.menuBar()->actions();
    ASSERT_FALSE(menu.isEmpty());
    ASSERT_NE(menu[0]->menu(), nullptr);
    QAction* quit = menu[0]->menu()->actions().constLast();

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(asked, 1);
    quit->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(quitting, 0);
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::waiting));

    queue().cancelAll();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(quitting, 1);
}

} // namespace
