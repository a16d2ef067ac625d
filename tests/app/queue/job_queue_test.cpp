// The worker with a scripted pipeline: every step happens when the test says so.
#include "queue_fixture.h"

#include "app/texts/pipeline_text.h"
#include "core/vocabulary/upscale_error.h"

using namespace clarivex;

namespace {

class JobQueueTest : public test::QueueFixture {
protected:
    // Records every job that starts, and fails when two jobs ever run at once.
    void watch(const QList<Job*>& jobs) {
        for (Job* job : jobs)
            QObject::connect(job, &Job::statusChanged, &watching, [this, job] {
                if (job->status().is(JobStatus::Case::running) &&
                    (started.empty() || started.back() != job->fileName().toStdString()))
                    started.push_back(job->fileName().toStdString());
                int running = 0;
                for (const Job* other : queue().jobs())
                    running += other->status().is(JobStatus::Case::running);
                EXPECT_LE(running, 1);
            });
    }
    bool is(const Job* job, JobStatus::Case status) { return job->status().is(status); }
    bool idle() { return !queue().isWorking() && queue().pendingCount() == 0; }

    std::vector<std::string> started;
    // Ends before the store, which cancels its jobs as it goes, so that no status reaches
    // `started` once it is gone.
    QObject watching;
};

} // namespace

TEST_F(JobQueueTest, RunsJobsOneAtATimeInOrderWithTheSettingsOfTheirStart) {
    const auto jobs = queue().add({file("a.png"), file("b.png"), file("c.mp4")}, true);
    watch(jobs);
    ASSERT_TRUE(settle([&] { return is(jobs[0], JobStatus::Case::running); }));
    // A setting changed while a job runs applies to the next one.
    store().settings().setTarget(Target::x4);
    script.end(test::ScriptedPipeline::resultFor(jobs[0]->url()));
    script.end(UpscaleFailure{UpscaleError::failed("Сбой.")});
    script.end(test::ScriptedPipeline::resultFor(jobs[2]->url()));
    ASSERT_TRUE(settle([&] { return idle(); }));

    EXPECT_EQ(started, (std::vector<std::string>{"a.png", "b.png", "c.mp4"}));
    ASSERT_EQ(script.options().size(), 3u);
    EXPECT_NE(script.options()[0].target, Target::x4);
    EXPECT_EQ(script.options()[1].target, Target::x4);
    EXPECT_TRUE(is(jobs[0], JobStatus::Case::done));
    EXPECT_EQ(*jobs[1]->status().failure(), "Сбой.");
    EXPECT_EQ(queue().celebration(), 2);
    EXPECT_EQ(desktop->soundsPlayed, 2);
    // The badge counts all three once the first starts, and is cleared when the last ends.
    ASSERT_FALSE(desktop->badges.empty());
    EXPECT_EQ(desktop->badges.front(), 3);
    EXPECT_EQ(desktop->badges.back(), 0);
    EXPECT_EQ(queue().selectedID(), jobs[2]->id());
}

TEST_F(JobQueueTest, ADoneJobDoesNotWaitForItsPictures) {
    decoder.hold();
    const auto jobs = queue().add({file("a.png"), file("b.png")}, true);
    ASSERT_TRUE(settle([&] { return is(jobs[0], JobStatus::Case::running); }));
    script.end(test::ScriptedPipeline::resultFor(jobs[0]->url()));
    ASSERT_TRUE(settle([&] { return is(jobs[1], JobStatus::Case::running); }));
    EXPECT_TRUE(is(jobs[0], JobStatus::Case::done));
    EXPECT_EQ(queue().celebration(), 1);
    EXPECT_EQ(queue().pendingCount(), 1);
    EXPECT_TRUE(jobs[0]->after().isNull());

    // The pictures follow on their own once they can.
    store().queue().setSelectedID(jobs[0]->id());
    decoder.release();
    ASSERT_TRUE(settle([&] { return !jobs[0]->after().isNull(); }));
    EXPECT_FALSE(jobs[0]->before().isNull());
    EXPECT_TRUE(is(jobs[1], JobStatus::Case::running));
}

// The running job is cancelled once its run ends, whatever it reports or returns after the stop:
// a pipe reader that was still busy reports once more, a killed engine often ends with an error
// of its own.
TEST_F(JobQueueTest, CancellingStopsWaitingJobsAtOnceAndTheRunningOneWhenItEnds) {
    script.ignoreStops();
    const auto jobs = queue().add({file("a.png"), file("b.png"), file("c.png")}, true);
    watch(jobs);
    ASSERT_TRUE(settle([&] { return queue().hasCurrent(); }));
    script.report({UpscaleProgress::Stage::upscaling, 0.3, {}});
    ASSERT_TRUE(settle([&] { return jobs[0]->status().progress()->fraction == 0.3; }));
    // The stage's button acts on the job by its status at the click.
    queue().cancel(jobs[1]);
    EXPECT_TRUE(is(jobs[1], JobStatus::Case::cancelled));
    queue().cancelAll();
    EXPECT_TRUE(is(jobs[2], JobStatus::Case::cancelled));
    EXPECT_TRUE(is(jobs[0], JobStatus::Case::running));
    script.lastReport()({UpscaleProgress::Stage::upscaling, 0.9, {}});
    script.end(UpscaleFailure{UpscaleError::programExit("realesrgan-ncnn-vulkan", 143, "")});
    ASSERT_TRUE(settle([&] { return idle(); }));
    EXPECT_TRUE(is(jobs[0], JobStatus::Case::cancelled));
    EXPECT_EQ(started, std::vector<std::string>{"a.png"});
    EXPECT_EQ(queue().celebration(), 0);
}

TEST_F(JobQueueTest, RetryRunsTheEarliestWaitingJobFirst) {
    const auto jobs = queue().add({file("a.png"), file("b.png")}, false);
    watch(jobs);
    jobs[1]->setStatus(JobStatus::failed("Ошибка"));
    queue().retry(jobs[1]);
    EXPECT_TRUE(is(jobs[1], JobStatus::Case::waiting));
    script.end(test::ScriptedPipeline::resultFor(jobs[0]->url()));
    script.end(test::ScriptedPipeline::resultFor(jobs[1]->url()));
    ASSERT_TRUE(settle([&] { return idle(); }));
    EXPECT_EQ(started, (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_TRUE(is(jobs[1], JobStatus::Case::done));

    // A done job is never run again, nor a waiting or running one retried.
    queue().retry(jobs[0]);
    EXPECT_TRUE(is(jobs[0], JobStatus::Case::done));
    EXPECT_EQ(script.sources().size(), 2u);
}

TEST_F(JobQueueTest, MissingToolsFailEachJobWithoutRunningIt) {
    toolsMissing = true;
    const auto jobs = queue().add({file("a.png"), file("b.png")}, true);
    ASSERT_TRUE(settle([&] { return idle(); }));
    for (Job* job : jobs)
        EXPECT_EQ(*job->status().failure(), PipelineText::error(UpscaleError::missingEngine()));
    EXPECT_TRUE(script.sources().empty());
    EXPECT_FALSE(store().engineError().isEmpty());
}

// The quit check's tests see a running job stopped; one that does not stop is given up on.
TEST_F(JobQueueTest, QuittingGivesUpOnAJobThatDoesNotStop) {
    script.ignoreStops();
    const auto jobs = queue().add({file("a.png")}, true);
    ASSERT_TRUE(settle([&] { return queue().hasCurrent(); }));
    EXPECT_FALSE(store().cancelAllAndWait(std::chrono::milliseconds(0)));
    // It ended with its file written after all: the job is done.
    script.end(test::ScriptedPipeline::resultFor(jobs[0]->url()));
    ASSERT_TRUE(settle([&] { return !queue().hasCurrent(); }));
    EXPECT_TRUE(is(jobs[0], JobStatus::Case::done));
    EXPECT_EQ(desktop->badges.back(), 0);
}

TEST_F(JobQueueTest, FocusFollowsTheRule) {
    struct Case {
        std::vector<JobStatus> statuses;
        int selected; // index, or -1 for none, or 9 for a job that is gone
        int focused;  // index, or -1 for none
    };
    const JobStatus running = JobStatus::running({});
    const JobStatus waiting = JobStatus::waiting();
    const JobStatus failed = JobStatus::failed("x");
    const JobStatus done = JobStatus::done({});
    const Case cases[] = {
        {{}, -1, -1},
        {{done, waiting, running, running}, -1, 2},
        {{done, failed, done, waiting}, -1, 2},
        {{done, running}, 0, 0},
        {{done, failed, running}, 9, 2},
        {{failed, JobStatus::cancelled()}, -1, 0},
    };
    for (const auto& [statuses, selected, expected] : cases) {
        Store store(environment());
        QList<Job*> jobs;
        for (const auto& status : statuses)
            jobs.push_back(
                store.queue().addDemonstration(folder / "x.png", MediaKind::image, status));
        if (selected == 9)
            store.queue().setSelectedID(QUuid::createUuid());
        else if (selected >= 0)
            store.queue().setSelectedID(jobs[selected]->id());
        EXPECT_EQ(store.queue().focused(), expected < 0 ? nullptr : jobs[expected])
            << statuses.size() << " jobs, selected " << selected;
    }
}

TEST_F(JobQueueTest, ClearingFinishedKeepsPendingJobsAndDropsAStaleSelection) {
    const auto jobs = queue().add(
        {file("a.png"), file("b.png"), file("c.png"), file("d.png"), file("e.png")}, false);
    jobs[0]->setStatus(JobStatus::done({}));
    jobs[1]->setStatus(JobStatus::running({}));
    jobs[2]->setStatus(JobStatus::failed("x"));
    jobs[4]->setStatus(JobStatus::cancelled());
    queue().setSelectedID(jobs[0]->id());
    EXPECT_EQ(queue().pendingCount(), 2);
    EXPECT_TRUE(queue().hasFinished());

    int focusChanges = 0;
    QObject::connect(&queue(), &JobQueue::focusedChanged, [&] { ++focusChanges; });
    queue().clearFinished();
    EXPECT_EQ(names(), (std::vector<std::string>{"b.png", "d.png"}));
    EXPECT_TRUE(queue().selectedID().isNull());
    EXPECT_EQ(queue().focused(), jobs[1]);
    EXPECT_EQ(focusChanges, 1);
    EXPECT_FALSE(queue().hasFinished());
}

// Each photo's run is told the photos waiting right behind it, which may share its engine
// start: in the order the worker takes them, without the jobs no longer waiting, up to the
// first video. A video is told none.
TEST_F(JobQueueTest, EachPhotoIsToldThePhotosWaitingBehindIt) {
    const auto jobs = queue().add(
        {file("a.png"), file("b.png"), file("c.png"), file("d.png"), file("e.mp4"), file("f.png")},
        false);
    queue().cancel(jobs[2]);
    queue().startIfNeeded();
    for (const int index : {0, 1, 3, 4, 5}) {
        ASSERT_TRUE(settle([&] { return is(jobs[index], JobStatus::Case::running); }));
        script.end(test::ScriptedPipeline::resultFor(jobs[index]->url()));
    }
    ASSERT_TRUE(settle([&] { return idle(); }));
    const auto url = [&](int index) { return jobs[index]->url(); };
    EXPECT_EQ(script.following(), (std::vector<std::vector<std::filesystem::path>>{
                                      {url(1), url(3)}, {url(3)}, {}, {}, {}}));
}
