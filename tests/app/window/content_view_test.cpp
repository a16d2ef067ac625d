#include "app/queue/job.h"
#include "app/window/content_view.h"
#include "app/window/drop_hero.h"
#include "app/window/drop_overlay.h"
#include "app/window/engine_indicator.h"
#include "app/window/job_stage.h"
#include "app/window/queue_card.h"
#include "app/window/queue_strip.h"
#include "app/window/stage_header.h"
#include "window_fixture.h"

#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace clarivex {
namespace {

void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Sends a whole drag over `view`: enter, then drop (or leave when `drop` is false).
bool dragOnto(ContentView& view, QMimeData& data, bool drop, bool* targetedDuringDrag = nullptr) {
    const QPoint point(200, 200);
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &enter);
    if (targetedDuringDrag)
        *targetedDuringDrag = view.isTargeted();
    if (!enter.isAccepted())
        return false;
    if (drop) {
        QDropEvent event(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    } else {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&view, &leave);
    }
    return true;
}

class ContentViewTest : public ::testing::Test {
protected:
    std::filesystem::path picture(const std::string& name, QSize size = {48, 32}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, 90, 40));
        const std::filesystem::path path = fixture.file(name);
        image.save(QString::fromStdString(path.string()));
        return path;
    }

    test::WindowFixture fixture;
};

TEST_F(ContentViewTest, DropsOfFilesAndFoldersQueueThemAndTextAddsNothing) {
    ContentView view(*fixture.store);
    const std::filesystem::path folder = fixture.file("album");
    std::filesystem::create_directory(folder);
    QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString((folder / "b.png").string()));
    QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString((folder / "a.png").string()));
    std::ofstream(folder / "notes.txt") << "x";

    QMimeData text;
    text.setText(QString::fromStdString(picture("loose.jpg").string()));
    bool targeted = true;
    EXPECT_FALSE(dragOnto(view, text, true, &targeted));
    EXPECT_FALSE(targeted);
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.org/a.jpg"))});
    EXPECT_FALSE(dragOnto(view, link, true));
    EXPECT_TRUE(fixture.store->jobs().isEmpty());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder.string())),
                   QUrl::fromLocalFile(QString::fromStdString(picture("loose.jpg").string()))});
    EXPECT_TRUE(dragOnto(view, files, true, &targeted));
    EXPECT_TRUE(targeted);
    EXPECT_FALSE(view.isTargeted());
    QStringList names;
    for (const Job* job : fixture.store->jobs())
        names << job->fileName();
    EXPECT_EQ(names, (QStringList{"a.png", "b.png", "loose.jpg"}));
    // Dropped jobs start at once; without an engine the first one fails.
    EXPECT_TRUE(test::WindowFixture::waitFor(
        [&] { return fixture.store->jobs()[0]->status().is(JobStatus::Case::failed); }));
}

TEST_F(ContentViewTest, DragOverAnEmptyQueueTurnsTheInvitationAndNoOverlayShows) {
    ContentView view(*fixture.store);
    ASSERT_NE(view.dropHero(), nullptr);
    EXPECT_EQ(view.jobStage(), nullptr);
    view.setTargeted(true);
    EXPECT_TRUE(view.dropHero()->isTargeted());
    EXPECT_EQ(view.dropHero()->title(), QStringLiteral("Отпускайте"));
    EXPECT_FALSE(view.dropOverlay()->isShowing());
    view.setTargeted(false);
    EXPECT_EQ(view.dropHero()->title(), QStringLiteral("Перетащите фото или видео"));
}

TEST_F(ContentViewTest, DragOverJobsShowsTheOverlayOverTheStage) {
    ContentView view(*fixture.store);
    fixture.store->addDemonstration(fixture.file("a.jpg"), MediaKind::image, JobStatus::waiting());
    flushDeletions();
    EXPECT_EQ(view.dropHero(), nullptr);
    ASSERT_NE(view.jobStage(), nullptr);
    view.setTargeted(true);
    EXPECT_TRUE(view.dropOverlay()->isShowing());
    view.setTargeted(false);
    EXPECT_FALSE(view.dropOverlay()->isShowing());
}

TEST_F(ContentViewTest, ClearingTheLastJobBringsTheInvitationBack) {
    ContentView view(*fixture.store);
    fixture.store->addDemonstration(fixture.file("a.jpg"), MediaKind::image,
                                    JobStatus::cancelled());
    EXPECT_FALSE(view.queueStrip()->isHidden());
    fixture.store->clearFinished();
    flushDeletions();
    flushDeletions();
    EXPECT_NE(view.dropHero(), nullptr);
    EXPECT_EQ(view.jobStage(), nullptr);
    EXPECT_TRUE(view.queueStrip()->isHidden());
}

TEST_F(ContentViewTest, MissingEngineShowsInTheHeaderWithTheReason) {
    ContentView view(*fixture.store);
    const EngineIndicator* indicator = view.header()->indicator();
    EXPECT_FALSE(indicator->isReady());
    EXPECT_EQ(indicator->label(), QStringLiteral("НЕТ ДВИЖКА"));
    EXPECT_EQ(indicator->toolTip(), fixture.store->engineError());
    EXPECT_FALSE(indicator->toolTip().isEmpty());
}

TEST(ContentViewEngine, ReadyEngineSaysWhereItIs) {
    test::WindowFixture fixture(test::WindowFixture::Engine::standIn);
    ContentView view(*fixture.store);
    const EngineIndicator* indicator = view.header()->indicator();
    EXPECT_TRUE(indicator->isReady());
    EXPECT_EQ(indicator->label(), QStringLiteral("ДВИЖОК ГОТОВ"));
    EXPECT_TRUE(indicator->toolTip().startsWith(QStringLiteral("Real-ESRGAN: ")));
}

TEST(ContentViewRun, ClickedCardShowsItsJobUntilTheRunningJobFinishes) {
    test::WindowFixture fixture(test::WindowFixture::Engine::standIn);
    // Slow enough that the click lands while the job runs.
    qputenv("FAKE_ESRGAN_DELAY_MS", "1500");
    ContentView view(*fixture.store);
    view.resize(1180, 760);
    view.show();
    QImage image(64, 40, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    const std::filesystem::path file = fixture.file("first.png");
    image.save(QString::fromStdString(file.string()));
    Job* earlier = fixture.store->addDemonstration(fixture.file("earlier.png"), MediaKind::image,
                                                   JobStatus::cancelled());
    fixture.store->add(std::vector{file}, true);
    Job* running = fixture.store->jobs()[1];
    ASSERT_TRUE(test::WindowFixture::waitFor(
        [&] { return running->status().is(JobStatus::Case::running); }));
    EXPECT_EQ(view.jobStage()->job(), running);

    fixture.store->setSelectedID(earlier->id());
    EXPECT_EQ(view.jobStage()->job(), earlier);
    ASSERT_TRUE(test::WindowFixture::waitFor(
        [&] { return !running->status().is(JobStatus::Case::running); }));
    qunsetenv("FAKE_ESRGAN_DELAY_MS");
    EXPECT_TRUE(running->status().is(JobStatus::Case::done));
    EXPECT_EQ(view.jobStage()->job(), running);
}

} // namespace
} // namespace clarivex
