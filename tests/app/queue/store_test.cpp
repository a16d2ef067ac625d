// The store with the real pipeline and decoder on the stand-in engine, end to end.
// libvips' GLib headers must come before Qt's "signals" keyword macro.
#include <vips/vips8>

#include "queue_fixture.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/program_run.h"
#include "support/scoped_environment_variable.h"
#include "support/test_engine.h"

#include <sys/stat.h>

using namespace clarivex;

namespace {

class StoreTest : public test::QueueFixture {
protected:
    StoreTest() {
        std::filesystem::create_directories(temporary());
        scriptedDecoder = false;
    }
    // The real pipeline on the stand-in engine, results at ×2 beside their sources.
    void runForReal() {
        realEnvironment = true;
        store().settings().setTarget(Target::x2);
        store().settings().setCopyToPictures(false);
    }
    std::filesystem::path photo(const std::string& name, int width = 32, int height = 24) {
        const auto path = folder / name;
        vips::VImage::black(width, height, vips::VImage::option()->set("bands", 3))
            .pngsave(path.c_str());
        return path;
    }
    std::filesystem::path temporary() const { return folder / "tmp"; }
    bool idle() { return !queue().isWorking() && queue().pendingCount() == 0; }

    Store::Environment environment() override {
        Store::Environment environment = test::QueueFixture::environment();
        if (realEnvironment) {
            environment.pipeline = nullptr;
            environment.locateTools = [this] {
                const auto programs = Tools::Environment::current();
                return Tools{engine.executable(), engine.models(),
                             Tools::locateProgram("ffmpeg", programs),
                             Tools::locateProgram("ffprobe", programs)};
            };
        }
        return environment;
    }

    test::TestEngine engine;
    test::ScopedEnvironmentVariable tmpdir{"TMPDIR", (folder / "tmp").string()};
    bool realEnvironment = false;
};

} // namespace

TEST_F(StoreTest, RunsAPhotoAndAVideoEndToEnd) {
    const auto programs = Tools::Environment::current();
    const auto ffmpeg = Tools::locateProgram("ffmpeg", programs);
    if (!ffmpeg || !Tools::locateProgram("ffprobe", programs))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const auto clip = folder / "clip.mp4";
    const auto made = test::runProgram(
        *ffmpeg, {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1",
                  "-pix_fmt", "yuv420p", "-c:v", "libx264", clip.string()});
    ASSERT_EQ(made.exitStatus, 0) << made.err;

    runForReal();
    const auto jobs = queue().add({clip, photo("a.png", 30, 20)}, true);
    ASSERT_EQ(jobs.size(), 2);
    ASSERT_TRUE(settle([&] { return idle(); }));
    ASSERT_TRUE(jobs[0]->status().result()) << *jobs[0]->status().failure();
    EXPECT_EQ(jobs[0]->status().result()->size, (Size{128, 96}));
    ASSERT_TRUE(jobs[1]->status().result()) << *jobs[1]->status().failure();
    EXPECT_TRUE(std::filesystem::exists(jobs[1]->status().result()->output));
    // The photo is focused last: its pictures come, the video's first frame before them.
    ASSERT_TRUE(settle([&] { return !jobs[1]->after().isNull(); }));
    EXPECT_EQ(jobs[1]->before().size(), QSize(30, 20));
    EXPECT_EQ(jobs[1]->after().size(), QSize(60, 40));
    EXPECT_EQ(jobs[0]->preview().size(), QSize(64, 48));
    ASSERT_TRUE(settle([&] { return store().pictures().isIdle(); }));
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_TRUE(test::noChildLeft());
}

TEST_F(StoreTest, QuittingDuringARealRunLeavesNothingBehind) {
    test::ScopedEnvironmentVariable hang("FAKE_ESRGAN_HANG", "1");
    runForReal();
    const auto jobs = queue().add({photo("a.png"), photo("b.png")}, true);
    ASSERT_TRUE(settle([&] { return queue().hasCurrent(); }));
    EXPECT_TRUE(store().cancelAllAndWait(std::chrono::minutes(1)));
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::cancelled));
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::cancelled));
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_TRUE(test::noChildLeft());
}

TEST_F(StoreTest, PipesAndDevicesAmongTheFilesNeverHoldTheQueue) {
    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "pipe.mp4").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero.png");
    const auto source = photo("a.png", 30, 20);
    const UpscaleResult result = test::ScriptedPipeline::resultFor(source, {60, 40});
    std::filesystem::copy_file(photo("made.png", 60, 40), result.output);
    const auto jobs =
        queue().add({folder / "pipe.png", folder / "pipe.mp4", folder / "zero.png", source}, true);
    ASSERT_EQ(jobs.size(), 4);
    // The pipeline refuses what is no regular file; here the script says so.
    for (int index = 0; index < 3; ++index)
        script.end(UpscaleFailure{"Это не обычный файл."});
    script.end(result);
    ASSERT_TRUE(settle([&] { return idle(); }));
    ASSERT_TRUE(settle([&] { return !jobs[3]->after().isNull(); }));
    EXPECT_EQ(jobs[3]->after().size(), QSize(60, 40));
    ASSERT_TRUE(settle([&] { return store().pictures().isIdle(); }));
    for (int index = 0; index < 3; ++index)
        EXPECT_TRUE(jobs[index]->preview().isNull()) << index;
}

TEST_F(StoreTest, TheFileChooserAddsWhatWasPickedAndStarts) {
    store().openPanel();
    EXPECT_TRUE(queue().jobs().isEmpty());
    toolsMissing = true;
    desktop->chosenFiles = {photo("a.png")};
    store().openPanel();
    EXPECT_EQ(desktop->chooserShown, 2);
    ASSERT_EQ(queue().jobs().size(), 1);
    EXPECT_TRUE(queue().isWorking());
    ASSERT_TRUE(settle([&] { return !queue().isWorking(); }));
}
