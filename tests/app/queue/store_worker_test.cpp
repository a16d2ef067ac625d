#include "store_fixture.h"

#include "core/vocabulary/upscale_error.h"
#include "support/program_run.h"

#include <sys/wait.h>

#include <set>
#include <thread>

using namespace clarivex;

namespace {

class StoreWorker : public test::StoreFixture {
protected:
    // Records every status of every job, and fails when two jobs ever run at once.
    void watch(const QList<Job*>& jobs) {
        for (Job* job : jobs)
            QObject::connect(job, &Job::statusChanged, &watching, [this, job] {
                seen.push_back({job->fileName().toStdString(), job->status().which()});
                int running = 0;
                for (const Job* other : store().jobs())
                    running += other->status().is(JobStatus::Case::running);
                EXPECT_LE(running, 1);
            });
    }
    std::vector<std::string> started() const {
        std::vector<std::string> names;
        for (const auto& [name, status] : seen)
            if (status == JobStatus::Case::running && (names.empty() || names.back() != name))
                names.push_back(name);
        return names;
    }
    void waitUntilIdle() {
        waitUntil([this] { return !store().isWorking() && store().pendingCount() == 0; });
    }
    // The names in the private folder: sources, outputs, and anything left behind.
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.insert(entry.path().filename().string());
        return names;
    }
    bool noChildLeft() const { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

    std::vector<std::pair<std::string, JobStatus::Case>> seen;
    // Goes before the store, which cancels its jobs as it ends, so no status reaches `seen`
    // once it is gone.
    QObject watching;
};

} // namespace

TEST_F(StoreWorker, RunsThreeJobsOneAtATimeInOrder) {
    const auto jobs = store().add({photo("a.png"), photo("b.png"), photo("c.png", 20, 30)}, true);
    ASSERT_EQ(jobs.size(), 3);
    watch(jobs);
    waitUntilIdle();

    EXPECT_EQ(started(), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
    for (Job* job : jobs) {
        ASSERT_TRUE(job->status().result()) << job->fileName().toStdString();
        EXPECT_TRUE(std::filesystem::exists(job->status().result()->output));
        EXPECT_TRUE(job->startedAt());
    }
    EXPECT_EQ(jobs[2]->before().size(), QSize(20, 30));
    EXPECT_EQ(jobs[2]->after().size(), QSize(40, 60));
    EXPECT_EQ(store().celebration(), 3);
    EXPECT_EQ(desktop->soundsPlayed, 3);
    // The badge counts all three once the first starts, and is cleared when the last ends.
    ASSERT_FALSE(desktop->badges.empty());
    EXPECT_EQ(desktop->badges.front(), 3);
    EXPECT_EQ(desktop->badges.back(), 0);
    EXPECT_EQ(store().selectedID(), jobs[2]->id());
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
}

TEST_F(StoreWorker, RunsAPhotoAndAVideoEndToEnd) {
    const auto environment = Tools::Environment::current();
    const auto ffmpeg = Tools::locateProgram("ffmpeg", environment);
    if (!ffmpeg || !Tools::locateProgram("ffprobe", environment))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const auto clip = folder / "clip.mp4";
    const auto made = test::runProgram(
        *ffmpeg, {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1",
                  "-pix_fmt", "yuv420p", "-c:v", "libx264", clip.string()});
    ASSERT_EQ(made.exitStatus, 0) << made.err;

    const auto jobs = store().add({clip, photo("a.png")}, true);
    ASSERT_EQ(jobs.size(), 2);
    waitUntil([&] { return !jobs[0]->pixelated().isNull(); });
    EXPECT_EQ(jobs[0]->preview().size(), QSize(64, 48));
    waitUntilIdle();
    ASSERT_TRUE(jobs[0]->status().result()) << *jobs[0]->status().failure();
    EXPECT_EQ(jobs[0]->status().result()->size, (Size{128, 96}));
    EXPECT_EQ(jobs[0]->before().size(), QSize(64, 48));
    EXPECT_EQ(jobs[0]->after().size(), QSize(128, 96));
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::done));
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(StoreWorker, ASettingChangedMidRunAppliesToTheNextJob) {
    test::ScopedEnvironmentVariable slow("FAKE_ESRGAN_DELAY_MS", "300");
    const auto jobs = store().add({photo("a.png"), photo("b.png")}, true);
    waitUntil([&] { return jobs[0]->status().is(JobStatus::Case::running); });
    store().setTarget(Target::x4);
    waitUntilIdle();
    ASSERT_TRUE(jobs[0]->status().result() && jobs[1]->status().result());
    EXPECT_EQ(jobs[0]->status().result()->size, (Size{64, 48}));
    EXPECT_EQ(jobs[1]->status().result()->size, (Size{128, 96}));
}

TEST_F(StoreWorker, CancellingEndsTheJobCancelledAndLeavesNothingBehind) {
    test::ScopedEnvironmentVariable hang("FAKE_ESRGAN_HANG", "1");
    test::ScopedEnvironmentVariable after("FAKE_ESRGAN_HANG_AFTER", "1");
    const auto jobs = store().add({photo("a.png"), photo("b.png"), photo("c.png")}, true);
    watch(jobs);
    waitUntil([&] { return store().hasCurrent(); });

    store().cancelAll();
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::cancelled));
    EXPECT_TRUE(jobs[2]->status().is(JobStatus::Case::cancelled));
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::running));
    waitUntilIdle();

    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::cancelled));
    EXPECT_EQ(started(), std::vector<std::string>{"a.png"});
    EXPECT_EQ(store().celebration(), 0);
    EXPECT_EQ(entries(), (std::set<std::string>{"a.png", "b.png", "c.png", "settings.ini", "tmp"}));
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(StoreWorker, AReportArrivingAfterCancellationDoesNotReviveTheJob) {
    test::ScopedEnvironmentVariable hang("FAKE_ESRGAN_HANG", "1");
    test::ScopedEnvironmentVariable after("FAKE_ESRGAN_HANG_AFTER", "1");
    const auto jobs = store().add({photo("a.png")}, true);
    waitUntil([&] { return store().hasCurrent(); });
    // Without turning the event loop, wait until the engine has printed all its percentages
    // and written its picture: its reports now wait, unapplied, in the event queue.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    const auto written = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(temporary()))
            if (std::filesystem::exists(entry.path() / "up.png"))
                return true;
        return false;
    };
    while (!written() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    EXPECT_TRUE(store().cancelAllAndWait(std::chrono::seconds(30)));
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::cancelled));
    EXPECT_FALSE(store().hasCurrent());
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_TRUE(noChildLeft());
    waitUntil([&] { return !store().isWorking(); });
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::cancelled));
}

TEST_F(StoreWorker, RetryRunsTheEarliestWaitingJobFirst) {
    const auto jobs = store().add({photo("a.png"), photo("b.png")}, false);
    watch(jobs);
    jobs[1]->setStatus(JobStatus::failed("Ошибка"));
    store().retry(jobs[1]);
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::waiting));
    waitUntilIdle();
    EXPECT_EQ(started(), (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::done));

    // A done job is never run again.
    store().retry(jobs[0]);
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::done));
}

TEST_F(StoreWorker, MissingToolsFailEachJobWithoutRunningIt) {
    toolsMissing = true;
    const auto jobs = store().add({photo("a.png"), photo("b.png")}, true);
    watch(jobs);
    waitUntilIdle();
    for (Job* job : jobs) {
        ASSERT_TRUE(job->status().failure());
        EXPECT_EQ(*job->status().failure(), UpscaleError::missingEngine().what());
    }
    EXPECT_TRUE(started().empty());
    EXPECT_FALSE(store().engineError().isEmpty());
}

TEST_F(StoreWorker, APlatformErrorReachesTheJobAsASentence) {
    const auto source = photo("a.png");
    // The temporary folder is a file, so the working folder cannot be made.
    test::writeFile(folder / "not-a-folder");
    test::ScopedEnvironmentVariable tmpdir("TMPDIR", (folder / "not-a-folder").string());
    const auto jobs = store().add({source}, true);
    waitUntilIdle();
    ASSERT_TRUE(jobs[0]->status().failure());
    const std::string message = *jobs[0]->status().failure();
    // A sentence of our own in Russian, beginning with a Cyrillic capital, not a bare what().
    ASSERT_GE(message.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(message[0]) & 0xF0, 0xD0) << message;
    EXPECT_EQ(entries(), (std::set<std::string>{"a.png", "not-a-folder", "settings.ini", "tmp"}));
}

TEST_F(StoreWorker, PicturesLeftBehindComeBackOnRefocus) {
    picturesKept = 2;
    const auto jobs = store().add({photo("a.png", 30, 20), photo("b.png"), photo("c.png")}, true);
    waitUntilIdle();
    // c is in focus and b was before it; a gave its pictures up.
    EXPECT_FALSE(jobs[2]->after().isNull());
    EXPECT_FALSE(jobs[1]->after().isNull());
    EXPECT_TRUE(jobs[0]->before().isNull());
    EXPECT_TRUE(jobs[0]->after().isNull());

    store().setSelectedID(jobs[0]->id());
    waitUntil([&] { return !jobs[0]->after().isNull(); });
    EXPECT_EQ(jobs[0]->before().size(), QSize(30, 20));
    EXPECT_EQ(jobs[0]->after().size(), QSize(60, 40));
    EXPECT_TRUE(jobs[1]->after().isNull());
    EXPECT_FALSE(jobs[2]->after().isNull());
}
