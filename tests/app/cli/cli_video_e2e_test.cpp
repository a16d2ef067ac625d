// The command line on a real clip, with the stand-in engine behind a script that counts the
// frames of each call and can hang on a given call, and with HOME and TMPDIR pointed at folders
// of the test's own: how a run that is interrupted ends, and how the same command continues it.
#include "support/media_fixture.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

using namespace clarivex;
using namespace clarivex::test;

namespace {

bool hasLine(const ProgramRun& run, const std::string& line) {
    const auto lines = run.outLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CliVideoTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!findProgram("ffmpeg") || !findProgram("ffprobe"))
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
        for (const char* name : {"home", "tmp", "media", "engine"})
            std::filesystem::create_directories(folder / name);
        std::filesystem::create_directory_symlink(engine.models(), folder / "engine" / "models");
        TestEngine::writeCountingScript(folder / "engine" / "realesrgan-ncnn-vulkan", calls());
    }

    std::filesystem::path temporary() const { return folder / "tmp"; }
    std::filesystem::path calls() const { return folder / "engine-calls"; }

    EnvironmentChanges environment(const std::string& hangOnCall = "") const {
        return {{"REALESRGAN_DIR", (folder / "engine").string()},
                {"HOME", (folder / "home").string()},
                {"TMPDIR", temporary().string()},
                {"CLARIVEX_TEST_HANG_ON_CALL", hangOnCall}};
    }

    TemporaryFolder folder{"clarivex-cli-video"};
    TestEngine engine;
};

} // namespace

// Twelve seconds at 5 frames per second: segments of 20 frames, chunks of 48. The second chunk
// never ends, so the run is interrupted with two segments finished.
TEST_F(CliVideoTest, InterruptedRunIsContinuedByTheSameCommand) {
    const auto source = folder / "media" / "clip.mp4";
    makeClip(source, ClipSpec().withFrames(60).withRate("5").withAudio("aac"));
    const std::vector<std::string> command{"--cli", source.string(), "--target", "x2",
                                           "--no-pictures"};
    const auto result = folder / "media" / "clip-2x.mp4";
    const auto parts = folder / "media" / ".clip-2x.parts";
    const ProgramRun uninterrupted = runProgram(CLARIVEX_BINARY, command, environment());
    ASSERT_EQ(uninterrupted.exitStatus, 0) << uninterrupted.out << uninterrupted.err;
    const auto reference = frameHashes(result);
    ASSERT_EQ(reference.size(), 60u);
    std::filesystem::remove(result);

    struct Case {
        int signal;
        bool keeps;
        std::vector<std::string> lastLines;
    };
    const std::vector<Case> cases{
        {SIGKILL, true, {}},
        {SIGTERM,
         true,
         {"Прервано. Готовые кадры 1–40 из 60 сохранены в " + parts.string() + ".",
          "Чтобы продолжить с этого места, запустите ту же команду снова."}},
        {SIGINT, false, {"Отменено"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        std::filesystem::remove(calls());
        StartedProgram interrupted(CLARIVEX_BINARY, command, environment("2"));
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (finishedSegments(parts) < 2 && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(finishedSegments(parts), 2u);
        interrupted.signal(c.signal);
        const ProgramRun stopped = interrupted.wait();
        EXPECT_EQ(stopped.exitStatus, 128 + c.signal);
        const auto lines = stopped.outLines();
        EXPECT_TRUE(std::equal(c.lastLines.rbegin(), c.lastLines.rend(), lines.rbegin()))
            << stopped.out;
        EXPECT_EQ(std::filesystem::exists(parts), c.keeps);
        EXPECT_FALSE(std::filesystem::exists(result));

        std::filesystem::remove(calls());
        const ProgramRun again = runProgram(CLARIVEX_BINARY, command, environment());
        ASSERT_EQ(again.exitStatus, 0) << again.out << again.err;
        EXPECT_EQ(hasLine(again, "[62%] Апскейл: Продолжаю с кадра 41 из 60"), c.keeps)
            << again.out;
        EXPECT_EQ(framesInLog(calls()), c.keeps ? 20 : 60);
        EXPECT_EQ(frameHashes(result), reference);
        EXPECT_EQ(probeFile(result).audioCodec, "aac");
        EXPECT_FALSE(std::filesystem::exists(parts));
        // The working folder of a run killed outright is gone too.
        EXPECT_TRUE(std::filesystem::is_empty(temporary()));
        std::filesystem::remove(result);
    }
}
