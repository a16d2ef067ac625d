#include "app/queue/job.h"
#include "app/window/content_view.h"
#include "app/window/job_stage.h"
#include "app/window/queue_strip.h"
#include "app/window/sidebar.h"
#include "app/window/stage_header.h"
#include "ui/animation/frame_clock.h"
#include "ui/paint/fade_scale_effect.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/drop_overlay.h"
#include "ui/widgets/engine_indicator.h"
#include "ui/widgets/option_tile.h"
#include "window_fixture.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QMimeData>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using test::flushDeletions;

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
    test::WindowFixture fixture;
};

TEST_F(ContentViewTest, DropsOfFilesAndFoldersQueueThemAndStart) {
    ContentView view(*fixture.store);
    const std::filesystem::path folder = fixture.file("album");
    test::writeFile(folder / "b.png");
    test::writeFile(fixture.file("loose.jpg"));

    bool targeted = false;
    QMimeData files;
    files.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(folder.string())),
         QUrl::fromLocalFile(QString::fromStdString(fixture.file("loose.jpg").string()))});
    EXPECT_TRUE(dragOnto(view, files, true, &targeted));
    EXPECT_TRUE(targeted);
    EXPECT_FALSE(view.isTargeted());
    ASSERT_TRUE(test::settle([&] { return fixture.store->isListed(); }));
    EXPECT_EQ(fixture.queue().jobs().size(), 2);
}

TEST_F(ContentViewTest, DragOverAnEmptyQueueTurnsTheInvitationAndOverJobsShowsTheOverlay) {
    ContentView view(*fixture.store);
    ASSERT_NE(view.dropHero(), nullptr);
    view.setTargeted(true);
    EXPECT_TRUE(view.dropHero()->isTargeted());
    EXPECT_FALSE(view.dropOverlay()->isShowing());
    view.setTargeted(false);

    fixture.queue().addDemonstration(fixture.file("a.jpg"), MediaKind::image, JobStatus::waiting());
    flushDeletions();
    EXPECT_EQ(view.dropHero(), nullptr);
    ASSERT_NE(view.jobStage(), nullptr);
    view.setTargeted(true);
    EXPECT_TRUE(view.dropOverlay()->isShowing());
}

TEST_F(ContentViewTest, TheLastJobClearedFadesOutAsItWasAndTheInvitationComesBack) {
    test::MotionOn motion;
    ContentView view(*fixture.store);
    view.show();
    fixture.queue().addDemonstration(fixture.file("a.jpg"), MediaKind::image,
                                     JobStatus::cancelled());
    double now = FrameClock::now();
    FrameClock::instance().advanceTo(now);
    FrameClock::instance().advanceTo(now += 10.0);
    QPointer<JobStage> old = view.jobStage();
    fixture.queue().clearFinished();
    flushDeletions();
    flushDeletions();
    EXPECT_TRUE(view.dropHero() && !view.jobStage());
    // The job is gone, its view is not: a late stop must reach nothing of it (sanitizers).
    ASSERT_TRUE(old && !old->job());
    Q_EMIT fixture.queue().stopRequested();
    FrameClock::instance().advanceTo(now);
    FrameClock::instance().advanceTo(now += 0.1);
    const auto* effect = qobject_cast<FadeScaleEffect*>(old->graphicsEffect());
    EXPECT_TRUE(effect && effect->hasPicture() && effect->opacity() > 0.05 &&
                effect->opacity() < 0.95);
    FrameClock::instance().advanceTo(now += 10.0);
    flushDeletions();
    EXPECT_TRUE(old.isNull());
    EXPECT_TRUE(view.queueStrip()->isHidden());
}

TEST(ContentViewEngine, HeaderAndModelTilesShowWhatTheEngineCanDo) {
    using Engine = test::WindowFixture::Engine;
    using State = EngineIndicator::State;
    const EngineDevice gpu{1, "NVIDIA GeForce RTX 3060"};
    const EngineDevice llvmpipe{0, "llvmpipe (LLVM 15.0.6, 256 bits)"};
    const struct {
        Engine engine;
        std::vector<std::string> models;
        EngineDevices devices;
        State state;
        // Which of "Авто", "Фото", "Арт", "Видео" can be chosen.
        std::vector<bool> available;
    } cases[] = {
        {Engine::missing, {}, {}, State::missing, {true, true, true, true}},
        // With a graphics card beside the software device, the card is used and named.
        {Engine::found,
         {"realesrgan-x4plus"},
         {{llvmpipe, gpu}},
         State::ready,
         {true, true, false, false}},
        {Engine::found,
         {"realesrgan-x4plus", "realesrgan-x4plus-anime", "realesr-animevideov3-x2"},
         {{llvmpipe}},
         State::onProcessor,
         {true, true, true, true}},
        {Engine::found, {}, {}, State::ready, {false, false, false, false}},
    };
    for (const auto& c : cases) {
        test::TemporaryFolder models("clarivex-models");
        for (const std::string& stem : c.models) {
            test::writeFile(models.path() / (stem + ".param"));
            test::writeFile(models.path() / (stem + ".bin"));
        }
        test::WindowFixture fixture(c.engine, models.path(), c.devices);
        ContentView view(*fixture.store);
        ASSERT_TRUE(test::settle([&] { return !fixture.store->engine().isProbing(); }));
        const EngineIndicator* indicator = view.header()->indicator();
        EXPECT_EQ(indicator->state(), c.state);
        if (c.devices.all.size() == 2) {
            EXPECT_TRUE(indicator->toolTip().contains(QString::fromStdString(gpu.name)));
        }
        const QList<OptionTile*> tiles = view.sidebar()->findChildren<OptionTile*>();
        ASSERT_EQ(tiles.size(), 4);
        for (int index = 0; index < 4; ++index) {
            EXPECT_EQ(tiles[index]->isAvailable(), c.available[index]) << index;
        }
    }
}

TEST(ContentViewPictures, ComparisonsAreDecodedLargeEnoughForTheLargestZoomAndNoLarger) {
    test::WindowFixture fixture;
    for (const QSize view : {QSize(1180, 760), QSize(1920, 1080)}) {
        ContentView content(*fixture.store);
        content.resize(view);
        content.show();
        UpscaleResult result;
        result.output = fixture.file("a-4k.png");
        Job* job = fixture.queue().addDemonstration(fixture.file("a.png"), MediaKind::image,
                                                    JobStatus::done(result));
        fixture.queue().setSelectedID(job->id());
        flushDeletions();
        const QSize shown = content.jobStage()->visualRect().size();
        for (const qreal ratio : {1.0, 2.0}) {
            const QSize comparison = ContentView::pictureSizes(view, ratio).comparison;
            const QSize slider = shown * 4 * ratio;
            EXPECT_TRUE(comparison.width() >= slider.width() &&
                        comparison.height() >= slider.height());
            EXPECT_LE(comparison.height(), slider.height() * 1.3);
        }
    }
}

} // namespace
} // namespace clarivex
