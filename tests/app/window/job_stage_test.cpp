#include "app/queue/job.h"
#include "app/window/job_panel.h"
#include "app/window/job_stage.h"
#include "app/window/queue_strip.h"
#include "ui/animation/frame_clock.h"
#include "ui/paint/fade_scale_effect.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/big_progress.h"
#include "ui/widgets/pill_button.h"
#include "window_fixture.h"

#include <QLabel>

#include <algorithm>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using test::findByText;
using test::flushDeletions;

UpscaleResult sampleResult() {
    UpscaleResult result;
    result.output = "/photos/photo-4k.png";
    result.size = {3840, 2160};
    result.model = "realesrgan-x4plus";
    result.seconds = 12.4;
    return result;
}

class JobStageTest : public ::testing::Test {
protected:
    Job& addJob(JobStatus status, MediaKind kind = MediaKind::image) {
        return *fixture.queue().addDemonstration(fixture.file("photo.jpg"), kind,
                                                 std::move(status));
    }

    bool hasLabel(JobStage& stage, const QString& text) {
        return findByText<QLabel>(&stage, text) != nullptr;
    }
    PillButton* button(JobStage& stage, const QString& text) {
        return findByText<PillButton>(&stage, text);
    }

    test::WindowFixture fixture;
};

TEST_F(JobStageTest, EachStatusShowsOnlyItsButtonsAndAFailureItsReason) {
    const struct {
        JobStatus status;
        std::vector<QString> buttons;
    } cases[] = {
        {JobStatus::running({UpscaleProgress::Stage::upscaling, 0.46, {}}),
         {QStringLiteral("Отменить")}},
        {JobStatus::done(sampleResult()),
         {QStringLiteral("Показать в папке"), QStringLiteral("Открыть")}},
        {JobStatus::failed("Не удалось прочитать файл."), {QStringLiteral("Повторить")}},
        {JobStatus::waiting(), {}},
        {JobStatus::cancelled(), {QStringLiteral("Повторить")}},
    };
    for (const auto& entry : cases) {
        Job& job = addJob(entry.status);
        JobStage stage(*fixture.store, job);
        stage.resize(900, 600);
        flushDeletions();
        const auto which = int(entry.status.which());
        if (const auto reason = entry.status.failure()) {
            EXPECT_TRUE(hasLabel(stage, QString::fromStdString(*reason)));
        }
        const QList<PillButton*> buttons = stage.findChildren<PillButton*>();
        ASSERT_EQ(buttons.size(), qsizetype(entry.buttons.size())) << which;
        for (const QString& text : entry.buttons)
            EXPECT_NE(button(stage, text), nullptr) << which << " " << text.toStdString();
        EXPECT_EQ(stage.panel()->findChild<BigProgress*>() != nullptr,
                  entry.status.is(JobStatus::Case::running));
    }
}

TEST_F(JobStageTest, AStopTakenShowsAtOnceWhileThePipelineStillRuns) {
    test::WindowFixture found(test::WindowFixture::Engine::found);
    test::writeFile(found.file("a.png"));
    found.script.ignoreStops();
    found.queue().add({found.file("a.png")}, true);
    Job& running = *found.queue().jobs()[0];
    test::settle([&] { return running.status().is(JobStatus::Case::running); });
    found.script.report({UpscaleProgress::Stage::upscaling, 0.4, {}});
    test::settle([&] { return running.status().progress()->fraction > 0.3; });
    JobStage stage(*found.store, running);
    PillButton* cancel = button(stage, QStringLiteral("Отменить"));
    ASSERT_TRUE(cancel->isEnabled());

    found.queue().cancelAll();
    // The pipeline goes on reporting until it ends; the stage keeps showing the stop.
    found.script.report({UpscaleProgress::Stage::upscaling, 0.5, {}});
    test::settle([&] { return running.status().progress()->fraction > 0.45; });
    EXPECT_TRUE(running.status().is(JobStatus::Case::running));
    EXPECT_EQ(stage.panel()->progress()->stage(), QStringLiteral("Останавливается"));
    EXPECT_FALSE(cancel->isEnabled());
}

TEST_F(JobStageTest, TheStageAndTheQueueCounterTellOneRemainingTimeNeverBelowASecond) {
    const struct {
        double fraction;
        const char* time;
    } cases[] = {
        {0.5, "~8 с"},
        // A few tenths left: once "осталось ~0 с" while the job still ran.
        {0.95, "~1 с"},
    };
    for (const auto& c : cases) {
        test::WindowFixture fixture;
        Job& job = *fixture.queue().addDemonstration(
            fixture.file("photo.jpg"), MediaKind::image,
            JobStatus::running({UpscaleProgress::Stage::upscaling, 0.1, {}}));
        job.setStartedAt(Job::Clock::now() - std::chrono::seconds(8));
        JobStage stage(*fixture.store, job);
        QueueStrip strip(*fixture.store);
        job.setStatus(JobStatus::running({UpscaleProgress::Stage::upscaling, c.fraction, {}}));
        EXPECT_EQ(stage.panel()->progress()->eta(), QStringLiteral("осталось ") + c.time);
        EXPECT_EQ(strip.counterText(), QStringLiteral("1 в работе · ") + c.time);
    }
}

TEST_F(JobStageTest, AJobDoneRidesTheSpringFromTheRunningLayout) {
    test::MotionOn motion;
    Job& job = addJob(JobStatus::running({UpscaleProgress::Stage::saving, 0.95, {}}));
    QImage preview(1600, 1000, QImage::Format_RGB32);
    preview.fill(Qt::darkCyan);
    job.setPreview(preview);
    JobStage stage(*fixture.store, job);
    stage.resize(900, 700);
    stage.show();
    double now = FrameClock::now();
    FrameClock::instance().advanceTo(now += 10.0);
    const int running = stage.panel()->cardRect().toRect().height();
    const QRect runningVisual = stage.visualRect();

    job.setStatus(JobStatus::done(sampleResult()));
    const int done = stage.panel()->cardHeight(stage.visibleArea().width());
    ASSERT_LT(done, running);
    // Until the pictures come, the comparison shows the preview: never a placeholder between.
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::comparison);
    EXPECT_TRUE(stage.visualRect().height() > runningVisual.height());
    std::vector<int> heights;
    for (const double after : {0.0, 0.05, 0.1, 0.2}) {
        FrameClock::instance().advanceTo(now + after);
        heights.push_back(stage.panel()->cardRect().toRect().height());
        const auto* fade =
            qobject_cast<FadeScaleEffect*>(stage.visual()->parentWidget()->graphicsEffect());
        ASSERT_TRUE(fade) << after;
        EXPECT_LT(fade->opacity(), 1.0);
    }
    // From the running card's height, on the spring, to the done card's.
    EXPECT_EQ(heights.front(), running);
    EXPECT_TRUE(std::is_sorted(heights.rbegin(), heights.rend()));
    EXPECT_TRUE(heights.back() > done && heights.back() < running);
    FrameClock::instance().advanceTo(now += 10.0);
    flushDeletions();
    EXPECT_EQ(stage.panel()->cardRect().toRect().height(), done);
    EXPECT_EQ(stage.visual()->parentWidget()->graphicsEffect(), nullptr);
    EXPECT_EQ(stage.panel()->shownCase(), JobStatus::Case::done);
}

TEST_F(JobStageTest, DoneButtonsRevealAndOpenTheOutputOrSayWhyNot) {
    UpscaleResult result = sampleResult();
    result.picturesCopyFailure = UpscaleError::failed("нет места");
    Job& job = addJob(JobStatus::done(result));
    JobStage stage(*fixture.store, job);
    const QString detail = "photo-4k.png · 12 с · realesrgan-x4plus\nКопия не сделана: нет места";
    EXPECT_TRUE(hasLabel(stage, detail));
    button(stage, QStringLiteral("Показать в папке"))->click();
    fixture.desktop->refusal = QStringLiteral("Файла больше нет: photo-4k.png");
    button(stage, QStringLiteral("Открыть"))->click();
    EXPECT_TRUE(hasLabel(stage, *fixture.desktop->refusal));
    EXPECT_FALSE(hasLabel(stage, detail));
    EXPECT_EQ(fixture.desktop->revealed, std::vector<std::filesystem::path>{result.output});
    EXPECT_EQ(fixture.desktop->opened, std::vector<std::filesystem::path>{result.output});
}

TEST_F(JobStageTest, RetryPutsTheJobBackInPlaceAndTheStageFollows) {
    Job& job = addJob(JobStatus::failed("Сбой."));
    JobStage stage(*fixture.store, job);
    button(stage, QStringLiteral("Повторить"))->click();
    flushDeletions();
    EXPECT_TRUE(hasLabel(stage, QStringLiteral("Ждёт очереди")));
    EXPECT_EQ(button(stage, QStringLiteral("Повторить")), nullptr);
}

TEST_F(JobStageTest, PictureFollowsStatusAndWhatHasLoaded) {
    const QImage picture(QSize(60, 40), QImage::Format_RGB32);
    Job& job = addJob(JobStatus::running({}));
    JobStage stage(*fixture.store, job);
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::placeholder);
    job.setPreview(picture);
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::scan);
    job.setStatus(JobStatus::failed("Сбой."));
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::dimmedScan);

    // Done: the preview stands on both sides of the slider until the pictures come.
    UpscaleResult result = sampleResult();
    result.output = "/photos/unreadable-4k.png";
    job.setStatus(JobStatus::done(result));
    ASSERT_EQ(stage.visualKind(), JobStage::Visual::comparison);
    const auto* slider = qobject_cast<BeforeAfterSlider*>(stage.visual());
    EXPECT_EQ(slider->after().cacheKey(), job.preview().cacheKey());

    // An output that cannot be read: no comparison, but the panel keeps both buttons.
    ASSERT_TRUE(test::settle([&] { return !fixture.store->pictures().isLoadingComparison(job); }));
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::placeholder);
    EXPECT_NE(button(stage, QStringLiteral("Открыть")), nullptr);
    job.setBefore(picture);
    job.setAfter(picture);
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::comparison);
}

} // namespace
} // namespace clarivex
