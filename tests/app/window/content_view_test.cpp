#include "app/queue/job.h"
#include "app/window/content_view.h"
#include "app/window/job_stage.h"
#include "app/window/queue_card.h"
#include "app/window/queue_strip.h"
#include "app/window/stage_header.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/drop_overlay.h"
#include "ui/widgets/engine_indicator.h"
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
    EXPECT_TRUE(fixture.queue().jobs().isEmpty());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder.string())),
                   QUrl::fromLocalFile(QString::fromStdString(picture("loose.jpg").string()))});
    EXPECT_TRUE(dragOnto(view, files, true, &targeted));
    EXPECT_TRUE(targeted);
    EXPECT_FALSE(view.isTargeted());
    QStringList names;
    for (const Job* job : fixture.queue().jobs())
        names << job->fileName();
    EXPECT_EQ(names, (QStringList{"a.png", "b.png", "loose.jpg"}));
    // Dropped jobs start at once; without an engine the first one fails.
    EXPECT_TRUE(test::settle(
        [&] { return fixture.queue().jobs()[0]->status().is(JobStatus::Case::failed); }));
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
    fixture.queue().addDemonstration(fixture.file("a.jpg"), MediaKind::image, JobStatus::waiting());
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
    fixture.queue().addDemonstration(fixture.file("a.jpg"), MediaKind::image,
                                     JobStatus::cancelled());
    EXPECT_FALSE(view.queueStrip()->isHidden());
    fixture.queue().clearFinished();
    flushDeletions();
    flushDeletions();
    EXPECT_NE(view.dropHero(), nullptr);
    EXPECT_EQ(view.jobStage(), nullptr);
    EXPECT_TRUE(view.queueStrip()->isHidden());
}

TEST(ContentViewEngine, TheHeaderShowsTheEngineCheckOfTheStore) {
    for (const auto engine :
         {test::WindowFixture::Engine::missing, test::WindowFixture::Engine::found}) {
        test::WindowFixture fixture(engine);
        ContentView view(*fixture.store);
        const EngineIndicator* indicator = view.header()->indicator();
        EXPECT_EQ(indicator->isReady(), fixture.store->engineError().isEmpty());
        EXPECT_EQ(indicator->toolTip(), indicator->isReady()
                                            ? QStringLiteral("Real-ESRGAN: /opt/realesrgan")
                                            : fixture.store->engineError());
    }
}

TEST(ContentViewRun, ClickedCardShowsItsJobUntilTheRunningJobFinishes) {
    test::WindowFixture fixture(test::WindowFixture::Engine::found);
    ContentView view(*fixture.store);
    JobQueue& queue = fixture.queue();
    Job* earlier = queue.addDemonstration(fixture.file("earlier.png"), MediaKind::image,
                                          JobStatus::cancelled());
    test::writeFile(fixture.file("first.png"));
    Job* running = queue.add({fixture.file("first.png")}, true).front();
    ASSERT_TRUE(test::settle([&] { return running->status().is(JobStatus::Case::running); }));
    EXPECT_EQ(view.jobStage()->job(), running);

    queue.setSelectedID(earlier->id());
    EXPECT_EQ(view.jobStage()->job(), earlier);
    fixture.script.end(test::ScriptedPipeline::resultFor(running->url()));
    ASSERT_TRUE(test::settle([&] { return running->status().is(JobStatus::Case::done); }));
    EXPECT_EQ(view.jobStage()->job(), running);
}

} // namespace
} // namespace clarivex
