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

TEST_F(ContentViewTest, TheInvitationComesBackAtItsFinalLayoutWhileTheStripSlidesAway) {
    test::MotionOn motion;
    ContentView view(*fixture.store);
    view.resize(1180, 760);
    view.show();
    fixture.queue().addDemonstration(fixture.file("a.jpg"), MediaKind::image,
                                     JobStatus::cancelled());
    double now = FrameClock::now();
    FrameClock::instance().advanceTo(now);
    FrameClock::instance().advanceTo(now += 10.0);
    fixture.queue().clearFinished();
    flushDeletions();
    QPointer<DropHero> hero = view.dropHero();
    ASSERT_TRUE(hero);
    const QRect rest = hero->geometry();
    // Where it rests in a window that never had a job.
    test::WindowFixture empty;
    ContentView fresh(*empty.store);
    fresh.resize(view.size());
    fresh.show();
    EXPECT_EQ(rest, fresh.dropHero()->geometry());
    const auto* strip = qobject_cast<FadeScaleEffect*>(view.queueStrip()->graphicsEffect());
    ASSERT_TRUE(strip);
    const double cleared = now;
    for (const double after : {0.0, 0.05, 0.15, 0.3}) {
        FrameClock::instance().advanceTo(now = cleared + after);
        EXPECT_EQ(hero->geometry(), rest) << after;
        const auto* fade = qobject_cast<FadeScaleEffect*>(hero->graphicsEffect());
        ASSERT_TRUE(fade);
        EXPECT_EQ(fade->scale(), 1.0);
    }
    EXPECT_GT(strip->shift().y(), 0.0);
    FrameClock::instance().advanceTo(now += 10.0);
    EXPECT_EQ(hero->geometry(), rest);
    EXPECT_TRUE(view.queueStrip()->isHidden());
}

TEST_F(ContentViewTest, FilesAddedToAnEmptyQueueCountAtOnceAndMoveFromTheFirstFrame) {
    test::MotionOn motion;
    ContentView view(*fixture.store);
    view.resize(1180, 760);
    view.show();
    double now = FrameClock::now();
    FrameClock::instance().advanceTo(now += 10.0);
    QPointer<DropHero> hero = view.dropHero();
    // What the counter reads as the strip that comes in is pictured with its cards.
    QString counterWithTheCards;
    QObject::connect(&fixture.queue().model(), &JobListModel::rowsInserted, &view,
                     [&] { counterWithTheCards = view.queueStrip()->counterText(); });
    for (const char* name : {"a.jpg", "b.jpg"})
        test::writeFile(fixture.file(name));
    fixture.queue().add({fixture.file("a.jpg"), fixture.file("b.jpg")}, false);
    EXPECT_EQ(counterWithTheCards, QStringLiteral("2 в работе"));
    flushDeletions();
    ASSERT_TRUE(hero && view.jobStage());
    // The window was busy for 150 ms before its first frame: that frame shows the start.
    FrameClock::instance().advanceTo(now += 0.15);
    const auto opacity = [](QWidget* widget) {
        const auto* effect = qobject_cast<FadeScaleEffect*>(widget->graphicsEffect());
        return effect ? effect->opacity() : 1.0;
    };
    EXPECT_EQ(opacity(view.queueStrip()), 0.0);
    EXPECT_EQ(opacity(view.jobStage()), 0.0);
    EXPECT_EQ(opacity(hero), 1.0);
    FrameClock::instance().advanceTo(now += 1.0 / 60);
    EXPECT_GT(opacity(view.queueStrip()), 0.0);
    EXPECT_LT(opacity(view.queueStrip()), 0.2);
    EXPECT_GT(opacity(hero), 0.8);
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
