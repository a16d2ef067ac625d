// The command line on real video clips, with the stand-in engine installed in a temporary
// folder and HOME and TMPDIR pointed at folders of the test's own.
#include "support/media_fixture.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clarivex;
using namespace clarivex::test;

namespace {

class CliVideoTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!findProgram("ffmpeg") || !findProgram("ffprobe"))
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
        std::filesystem::create_directories(folder / "home");
        std::filesystem::create_directories(temporary());
        std::filesystem::create_directories(folder / "media");
    }

    void TearDown() override {
        if (std::filesystem::exists(temporary())) {
            EXPECT_TRUE(std::filesystem::is_empty(temporary()));
        }
    }

    std::filesystem::path temporary() const { return folder / "tmp"; }

    test::ProgramRun cli(const std::vector<std::string>& arguments) {
        return test::runProgram(CLARIVEX_BINARY, arguments,
                                {{"REALESRGAN_DIR", engine.folder().string()},
                                 {"HOME", (folder / "home").string()},
                                 {"TMPDIR", temporary().string()}});
    }

    static bool hasLine(const test::ProgramRun& run, const std::string& line) {
        const auto lines = run.outLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    test::TemporaryFolder folder{"clarivex-cli-video"};
    test::TestEngine engine;
};

} // namespace

TEST_F(CliVideoTest, ClipBecomesAnEnlargedH264WithItsSound) {
    const auto source = folder / "media" / "clip.mp4";
    makeClip(source, ClipSpec().withFrames(30).withAudio("aac"));
    const auto run = cli({"--cli", source.string(), "--target", "x2", "--no-pictures"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    const auto output = folder / "media" / "clip-2x.mp4";
    EXPECT_TRUE(hasLine(run, "[93%] Сборка видео: H.264, 128×96")) << run.out;
    EXPECT_TRUE(hasLine(run, "[97%] Сборка видео: Звук")) << run.out;
    ASSERT_FALSE(run.outLines().empty());
    EXPECT_TRUE(run.outLines().back().starts_with("Готово: " + output.string() + " · 128×96"))
        << run.out;
    const auto facts = probeFile(output);
    EXPECT_EQ(facts.videoCodec, "h264");
    EXPECT_EQ(facts.width, 128);
    EXPECT_EQ(facts.height, 96);
    EXPECT_EQ(facts.frames, 30);
    EXPECT_EQ(facts.audioCodec, "aac");
}

TEST_F(CliVideoTest, LoopOptionGivesASilentSeamlessLoop) {
    const auto source = folder / "media" / "wave.mp4";
    makeClip(source, ClipSpec().withFrames(30).withAudio("aac"));
    const auto run = cli({"--cli", source.string(), "--target", "x2", "--loop", "--no-pictures"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_TRUE(hasLine(run, "[95%] Бесшовная петля: Стык 0.3 с")) << run.out;
    const auto facts = probeFile(folder / "media" / "wave-2x-loop.mp4");
    EXPECT_EQ(facts.frames, 20);
    EXPECT_TRUE(facts.audioCodec.empty());
}

TEST_F(CliVideoTest, AudioOnlyFileFailsWithTheSentence) {
    const auto source = folder / "media" / "voice.mp4";
    ffmpeg({"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac", source.string()});
    const auto run = cli({"--cli", source.string(), "--target", "x2", "--no-pictures"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(hasLine(run, "Ошибка: Формат не поддерживается: в файле нет видеодорожки"))
        << run.out;
}
