#include "app/queue/job.h"
#include "app/window/content_view.h"
#include "app/window/job_stage.h"
#include "app/window/queue_strip.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/drop_overlay.h"
#include "window_fixture.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>

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

    bool targeted = false;
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

TEST_F(ContentViewTest, DragOverAnEmptyQueueTurnsTheInvitationAndOverJobsShowsTheOverlay) {
    ContentView view(*fixture.store);
    ASSERT_NE(view.dropHero(), nullptr);
    view.setTargeted(true);
    EXPECT_EQ(view.dropHero()->title(), QStringLiteral("Отпускайте"));
    EXPECT_FALSE(view.dropOverlay()->isShowing());
    view.setTargeted(false);

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

} // namespace
} // namespace clarivex
