#include "app/queue/job.h"
#include "app/window/job_panel.h"
#include "app/window/job_stage.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/big_progress.h"
#include "ui/widgets/pill_button.h"
#include "window_fixture.h"

#include <QCoreApplication>
#include <QLabel>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using test::findByText;

UpscaleResult sampleResult() {
    UpscaleResult result;
    result.output = "/photos/photo-4k.png";
    result.size = {3840, 2160};
    result.model = "realesrgan-x4plus";
    result.seconds = 12.4;
    return result;
}

void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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

TEST_F(JobStageTest, EachStatusShowsItsTextsAndOnlyItsButtons) {
    const struct {
        JobStatus status;
        std::vector<QString> labels;
        std::vector<QString> buttons;
    } cases[] = {
        {JobStatus::running({UpscaleProgress::Stage::upscaling, 0.46, "Кадр 110 из 240"}),
         {},
         {QStringLiteral("Отменить")}},
        {JobStatus::done(sampleResult()),
         {QStringLiteral("Готово — 3840×2160"),
          QStringLiteral("photo-4k.png · 12 с · realesrgan-x4plus")},
         {QStringLiteral("Показать в папке"), QStringLiteral("Открыть")}},
        {JobStatus::failed("Не удалось прочитать файл."),
         {QStringLiteral("Не получилось"), QStringLiteral("Не удалось прочитать файл.")},
         {QStringLiteral("Повторить")}},
        {JobStatus::waiting(), {QStringLiteral("Ждёт очереди")}, {}},
        {JobStatus::cancelled(), {}, {QStringLiteral("Повторить")}},
    };
    for (const auto& entry : cases) {
        Job& job = addJob(entry.status);
        JobStage stage(*fixture.store, job);
        stage.resize(900, 600);
        flushDeletions();
        const auto which = int(entry.status.which());
        for (const QString& label : entry.labels)
            EXPECT_TRUE(hasLabel(stage, label)) << which << " " << label.toStdString();
        const QList<PillButton*> buttons = stage.findChildren<PillButton*>();
        ASSERT_EQ(buttons.size(), qsizetype(entry.buttons.size())) << which;
        for (const QString& text : entry.buttons)
            EXPECT_NE(button(stage, text), nullptr) << which << " " << text.toStdString();
        EXPECT_EQ(stage.panel()->findChild<BigProgress*>() != nullptr,
                  entry.status.is(JobStatus::Case::running));
    }
}

TEST_F(JobStageTest, CancelButtonNamesItselfAndStopsAWaitingJobAtOnce) {
    Job& job = addJob(JobStatus::running({}));
    JobStage stage(*fixture.store, job);
    PillButton* cancel = button(stage, QStringLiteral("Отменить"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->toolTip(), QStringLiteral("Отменить"));
    EXPECT_EQ(cancel->focusPolicy(), Qt::StrongFocus);

    // The worker has not picked the job up yet: the click finds it waiting and cancels it.
    job.setStatus(JobStatus::waiting());
    cancel->click();
    EXPECT_TRUE(job.status().is(JobStatus::Case::cancelled));
}

TEST_F(JobStageTest, DoneButtonsRevealAndOpenTheOutput) {
    Job& job = addJob(JobStatus::done(sampleResult()));
    JobStage stage(*fixture.store, job);
    button(stage, QStringLiteral("Показать в папке"))->click();
    button(stage, QStringLiteral("Открыть"))->click();
    ASSERT_EQ(fixture.desktop->revealed.size(), 1u);
    EXPECT_EQ(fixture.desktop->revealed[0], std::filesystem::path("/photos/photo-4k.png"));
    ASSERT_EQ(fixture.desktop->opened.size(), 1u);
    EXPECT_EQ(fixture.desktop->opened[0], std::filesystem::path("/photos/photo-4k.png"));
}

TEST_F(JobStageTest, RetryPutsTheJobBackInPlaceAndTheStageFollows) {
    Job& job = addJob(JobStatus::failed("Сбой."));
    JobStage stage(*fixture.store, job);
    button(stage, QStringLiteral("Повторить"))->click();
    EXPECT_TRUE(job.status().is(JobStatus::Case::waiting));
    flushDeletions();
    EXPECT_EQ(stage.panel()->shownCase(), JobStatus::Case::waiting);
    EXPECT_TRUE(hasLabel(stage, QStringLiteral("Ждёт очереди")));
    EXPECT_EQ(button(stage, QStringLiteral("Повторить")), nullptr);
    // The card takes the height of its new row at once, as a stage made for it would.
    JobStage fresh(*fixture.store, job);
    const QRectF card = stage.panel()->cardRect();
    EXPECT_EQ(card.height(), fresh.panel()->cardHeight(int(card.width())));
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

    // Done with an unreadable output: no comparison, but the panel keeps both buttons.
    job.setStatus(JobStatus::done(sampleResult()));
    EXPECT_EQ(stage.visualKind(), JobStage::Visual::placeholder);
    flushDeletions();
    EXPECT_NE(button(stage, QStringLiteral("Открыть")), nullptr);

    job.setBefore(picture);
    job.setAfter(picture);
    ASSERT_EQ(stage.visualKind(), JobStage::Visual::comparison);
    EXPECT_NE(qobject_cast<BeforeAfterSlider*>(stage.visual()), nullptr);
}

TEST_F(JobStageTest, StageLeavesWhenItsJobIsRemoved) {
    Job& job = addJob(JobStatus::cancelled());
    QPointer<JobStage> stage = new JobStage(*fixture.store, job);
    fixture.queue().clearFinished();
    // The job goes first, its stage after it.
    flushDeletions();
    flushDeletions();
    EXPECT_TRUE(stage.isNull());
}

} // namespace
} // namespace clarivex
