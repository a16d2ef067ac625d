#include "core/upscaler.h"

#include "core/video/video_space.h"
#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/media_fixture.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <mutex>
#include <thread>

using namespace clarivex;
using namespace clarivex::test;
using Stage = UpscaleProgress::Stage;

namespace {

class ReportLog {
public:
    void operator()(const UpscaleProgress& progress) {
        std::lock_guard guard(lock_);
        reports_.push_back(progress);
    }
    std::vector<UpscaleProgress> reports() const {
        std::lock_guard guard(lock_);
        return reports_;
    }
    bool contains(Stage stage, const std::string& detail) const {
        const auto all = reports();
        return std::any_of(all.begin(), all.end(), [&](const UpscaleProgress& progress) {
            return progress.stage == stage && progress.detail == detail;
        });
    }

private:
    mutable std::mutex lock_;
    std::vector<UpscaleProgress> reports_;
};

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream stream(file);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Each test gets its own temporary folder for the working folders (so that leftovers are
// ours to see), a folder for its sources and outputs, and the stand-in engine behind a small
// script that counts its calls and the frames of each call.
class VideoPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::signal(SIGPIPE, SIG_IGN);
        ffmpeg_ = findProgram("ffmpeg");
        ffprobe_ = findProgram("ffprobe");
        if (!ffmpeg_ || !ffprobe_)
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
        std::filesystem::create_directories(temporary());
        std::filesystem::create_directories(sources());
        test::writeExecutable(engineScript(),
                              "#!/bin/sh\n"
                              "ls \"$2\" | wc -l >> '" +
                                  engineLog().string() +
                                  "'\n"
                                  "calls=$(wc -l < '" +
                                  engineLog().string() +
                                  "')\n"
                                  "if [ \"$calls\" = \"$CLARIVEX_TEST_HANG_ON_CALL\" ]; then\n"
                                  "    export FAKE_ESRGAN_HANG=1\n"
                                  "fi\n"
                                  "exec '" +
                                  test::TestEngine::standIn().string() + "' \"$@\"\n");
    }

    void TearDown() override {
        if (!ffmpeg_)
            return;
        EXPECT_TRUE(entriesStartingWith(temporary(), "Clarivex-").empty())
            << "a working folder was left behind";
        EXPECT_TRUE(noChildLeft());
    }

    std::filesystem::path temporary() const { return folder_ / "tmp"; }
    std::filesystem::path sources() const { return folder_ / "media"; }
    std::filesystem::path engineScript() const { return folder_ / "engine" / "esrgan"; }
    std::filesystem::path engineLog() const { return folder_ / "engine-calls"; }

    Tools tools() const { return Tools{engineScript(), engine_.models(), ffmpeg_, ffprobe_}; }

    static Options options(Target target = Target::x2) {
        Options options;
        options.target = target;
        options.copyToPictures = false;
        return options;
    }

    std::filesystem::path clip(const std::string& name, const ClipSpec& spec) {
        const auto file = sources() / name;
        makeClip(file, spec);
        return file;
    }

    UpscaleResult upscale(const std::filesystem::path& source, const Options& options,
                          std::stop_token stopToken = {}) {
        return upscaler_.run(source, options, std::ref(log_), stopToken);
    }

    // Whatever is next to the sources besides them.
    std::vector<std::string> outputs() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(sources())) {
            const auto name = entry.path().filename().string();
            if (name.find("-2x") != std::string::npos || name.find("-4x") != std::string::npos ||
                name.find("-1080p") != std::string::npos || name.starts_with("."))
                names.push_back(name);
        }
        return names;
    }

    // A stand-in for ffmpeg that behaves as the real one except for the calls whose argument
    // list contains `marker`, which fail with a message.
    std::filesystem::path ffmpegFailingOn(const std::string& marker) {
        const auto wrapper = folder_ / "wrapped" / "ffmpeg";
        test::writeExecutable(wrapper, "#!/bin/sh\n"
                                       "for argument in \"$@\"; do\n"
                                       "    if [ \"$argument\" = '" +
                                           marker +
                                           "' ]; then\n"
                                           "        echo 'simulated failure' >&2\n"
                                           "        exit 1\n"
                                           "    fi\n"
                                           "done\n"
                                           "exec '" +
                                           ffmpeg_->string() + "' \"$@\"\n");
        return wrapper;
    }

    std::optional<std::filesystem::path> ffmpeg_;
    std::optional<std::filesystem::path> ffprobe_;
    test::TemporaryFolder folder_{"clarivex-video"};
    test::TestEngine engine_;
    test::ScopedEnvironmentVariable temporaryFolder_{"TMPDIR", temporary().string()};
    Upscaler upscaler_{Tools{}};
    ReportLog log_;

    void useTools() { upscaler_ = Upscaler(tools()); }
};

} // namespace

TEST_F(VideoPathTest, EnlargedClipWithItsSoundCopied) {
    useTools();
    // mp3 fits in MP4, so finding mp3 in the result shows that the sound was copied.
    const auto source =
        clip("clip.mp4", ClipSpec().withSize(64, 48).withFrames(30).withAudio("libmp3lame"));
    const auto result = upscale(source, options());

    EXPECT_EQ(result.output, sources() / "clip-2x.mp4");
    EXPECT_EQ(result.size, (Size{128, 96}));
    EXPECT_EQ(result.model, "realesr-animevideov3");
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.videoCodec, "h264");
    EXPECT_EQ(facts.width, 128);
    EXPECT_EQ(facts.height, 96);
    EXPECT_EQ(facts.frames, 30);
    EXPECT_EQ(facts.audioCodec, "mp3");
    EXPECT_EQ(outputs(), std::vector<std::string>{"clip-2x.mp4"});

    EXPECT_TRUE(log_.contains(Stage::encoding, "H.264, 128×96"));
    EXPECT_TRUE(log_.contains(Stage::encoding, "Звук"));
    const auto reports = log_.reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), (UpscaleProgress{Stage::preparing, 0, "clip.mp4"}));
    EXPECT_EQ(reports.back(), (UpscaleProgress{Stage::saving, 1.0, "clip-2x.mp4"}));
    for (std::size_t index = 1; index < reports.size(); ++index)
        EXPECT_LE(reports[index - 1].fraction, reports[index].fraction)
            << reports[index - 1].detail << " then " << reports[index].detail;
    EXPECT_TRUE(std::any_of(reports.begin(), reports.end(), [](const UpscaleProgress& p) {
        return p.stage == Stage::extracting && p.detail.starts_with("Кадр ") &&
               p.detail.ends_with(" из ~30");
    }));
}

TEST_F(VideoPathTest, SoundMp4CannotHoldIsReencodedAsAac) {
    useTools();
    const auto source = clip("clip.mkv", ClipSpec().withFrames(20).withAudio("pcm_s16le"));
    const auto result = upscale(source, options());
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.audioCodec, "aac");
    EXPECT_EQ(facts.frames, 20);
    EXPECT_EQ(result.output, sources() / "clip-2x.mp4");
}

TEST_F(VideoPathTest, SoundShorterThanThePicturesCostsNoFrame) {
    useTools();
    const auto source = clip("clip.mp4", ClipSpec().withFrames(30).withAudio("aac", 0.3));
    const auto facts = probeFile(upscale(source, options()).output);
    EXPECT_EQ(facts.frames, 30);
    EXPECT_EQ(facts.audioCodec, "aac");
}

TEST_F(VideoPathTest, OddSourceGivesAnEvenExactSize) {
    useTools();
    const auto source = sources() / "odd.mov";
    // PNG in QuickTime keeps the odd size that 4:2:0 H.264 could not hold.
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=65x49:rate=25", "-frames:v", "4", "-c:v", "png",
            source.string()});
    // Factor 1080 ÷ 49; 65 × 22.04… = 1432.65 becomes the even 1432. The engine's ×4 output
    // (260×196) is resampled by the encoder.
    const auto result = upscale(source, options(Target::fullHD));
    EXPECT_EQ(result.size, (Size{1432, 1080}));
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.width, 1432);
    EXPECT_EQ(facts.height, 1080);
    EXPECT_EQ(facts.frames, 4);
}

TEST_F(VideoPathTest, PortraitClipStoredWithARotationComesOutUpright) {
    useTools();
    const auto source =
        clip("portrait.mp4", ClipSpec().withSize(64, 48).withFrames(10).withRotation(90));
    ASSERT_NE(probeFile(source).rotation, 0) << "the clip was made without its rotation";
    const auto result = upscale(source, options());
    EXPECT_EQ(result.size, (Size{96, 128}));
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.width, 96);
    EXPECT_EQ(facts.height, 128);
    EXPECT_EQ(facts.rotation, 0);
}

TEST_F(VideoPathTest, HundredSilentFramesGoThroughTheEngineInChunksOf48) {
    useTools();
    const auto source = clip("long.mp4", ClipSpec().withFrames(100).withRate("50"));
    const auto result = upscale(source, options());
    EXPECT_EQ(linesOf(engineLog()), (std::vector<std::string>{"48", "48", "4"}));
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.frames, 100);
    EXPECT_TRUE(facts.audioCodec.empty());
    EXPECT_TRUE(log_.contains(Stage::upscaling, "Кадр 48 из 100 · realesr-animevideov3 ×2"));
    EXPECT_TRUE(log_.contains(Stage::upscaling, "Кадр 96 из 100 · realesr-animevideov3 ×2"));
    // A silent clip is moved into place without a sound pass.
    EXPECT_FALSE(log_.contains(Stage::encoding, "Звук"));
}

TEST_F(VideoPathTest, LoopIsShorterBySeamAndSilent) {
    useTools();
    Options loop = options();
    loop.seamlessLoop = true;
    // 30 frames at 30 per second: d = 1 s, seam = d ÷ 3, result 2/3 s = 20 frames.
    const auto source = clip("wave.mp4", ClipSpec().withFrames(30).withAudio("aac"));
    const auto result = upscale(source, loop);
    EXPECT_EQ(result.output, sources() / "wave-2x-loop.mp4");
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.frames, 20);
    EXPECT_NEAR(facts.duration, 2.0 / 3.0, 0.05);
    EXPECT_TRUE(facts.audioCodec.empty());
    EXPECT_EQ(facts.width, 128);
    EXPECT_TRUE(log_.contains(Stage::looping, "Стык 0.3 с"));
}

TEST_F(VideoPathTest, LoopTooShortForASeamGivesThePlainSilentVideo) {
    useTools();
    Options loop = options();
    loop.seamlessLoop = true;
    const auto source = clip("blink.mp4", ClipSpec().withFrames(15).withAudio("aac"));
    const auto result = upscale(source, loop);
    EXPECT_EQ(result.output, sources() / "blink-2x-loop.mp4");
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.frames, 15);
    EXPECT_TRUE(facts.audioCodec.empty());
    for (const auto& report : log_.reports())
        EXPECT_NE(report.stage, Stage::looping);
}

TEST_F(VideoPathTest, NameTakenWhileTheVideoWasMadeIsNotReplaced) {
    useTools();
    const auto source = clip("clip.mp4", ClipSpec().withFrames(10));
    const auto taken = sources() / "clip-2x.mp4";
    const auto result = upscaler_.run(source, options(),
                                      [&](const UpscaleProgress& progress) {
                                          if (progress.stage == Stage::encoding)
                                              std::ofstream(taken) << "someone else's file";
                                      },
                                      {});
    EXPECT_EQ(result.output, sources() / "clip-2x 2.mp4");
    EXPECT_EQ(readFile(taken), "someone else's file");
    EXPECT_EQ(probeFile(result.output).frames, 10);
}

TEST_F(VideoPathTest, EngineThatSkipsAFrameFailsTheJob) {
    useTools();
    const auto source = clip("clip.mp4", ClipSpec().withFrames(12));
    test::ScopedEnvironmentVariable skip("FAKE_ESRGAN_SKIP", "000007.png");
    const auto error = errorOf([&] { upscale(source, options()); });
    EXPECT_EQ(error.kind(), UpscaleError::Case::failed);
    EXPECT_STREQ(error.what(), "ESRGAN пропустил кадр 000007.png");
    EXPECT_TRUE(outputs().empty());
}

TEST_F(VideoPathTest, EncoderThatDiesFailsWithItsOwnWords) {
    Tools broken = tools();
    broken.ffmpeg = ffmpegFailingOn("image2pipe");
    upscaler_ = Upscaler(broken);
    const auto source = clip("clip.mp4", ClipSpec().withFrames(12));
    const auto error = errorOf([&] { upscale(source, options()); });
    const std::string message = error.what();
    EXPECT_TRUE(message.starts_with("Кодировщик остановился: ") ||
                message.starts_with("Кодировщик: код 1\n"))
        << message;
    EXPECT_NE(message.find("simulated failure"), std::string::npos) << message;
    EXPECT_TRUE(outputs().empty());
}

TEST_F(VideoPathTest, FailingSoundPassLeavesNothingNextToTheSource) {
    Tools broken = tools();
    broken.ffmpeg = ffmpegFailingOn("1:a:0");
    upscaler_ = Upscaler(broken);
    const auto source = clip("clip.mp4", ClipSpec().withFrames(10).withAudio("aac"));
    const auto error = errorOf([&] { upscale(source, options()); });
    EXPECT_EQ(std::string(error.what()), "ffmpeg завершился с кодом 1\nsimulated failure");
    EXPECT_TRUE(outputs().empty());
}

TEST_F(VideoPathTest, CancelDuringTheSecondChunkStopsEverything) {
    useTools();
    const auto source = clip("long.mp4", ClipSpec().withFrames(100).withRate("50"));
    test::ScopedEnvironmentVariable hang("CLARIVEX_TEST_HANG_ON_CALL", "2");
    std::stop_source stop;
    std::jthread canceller([&](std::stop_token done) {
        while (!done.stop_requested() && linesOf(engineLog()).size() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    });
    EXPECT_THROW(upscale(source, options(), stop.get_token()), Cancelled);
    canceller.request_stop();
    EXPECT_EQ(linesOf(engineLog()).size(), 2u);
    EXPECT_TRUE(outputs().empty());
    for (const auto& report : log_.reports())
        EXPECT_NE(report.stage, Stage::encoding);
}

TEST_F(VideoPathTest, LowDiskIsRefusedBeforeAnyFrameIsExtracted) {
    useTools();
    std::vector<std::filesystem::path> asked;
    upscaler_.freeSpace = [&](const std::filesystem::path& folder) {
        asked.push_back(folder);
        return std::optional<std::int64_t>(1000);
    };
    const auto source = clip("clip.mp4", ClipSpec().withFrames(30));
    const auto error = errorOf([&] { upscale(source, options()); });
    EXPECT_EQ(error.kind(), UpscaleError::Case::lowDisk);
    EXPECT_EQ(error.needed(), videoSpaceNeeded({64, 48}, 2, 30, 48));
    EXPECT_EQ(error.free(), 1000);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked.front().filename().string().starts_with("Clarivex-"));
    for (const auto& report : log_.reports())
        EXPECT_NE(report.stage, Stage::extracting);

    // A volume that cannot say how much is free does not stop the job.
    upscaler_.freeSpace = [](const std::filesystem::path&) { return std::nullopt; };
    EXPECT_EQ(upscale(source, options()).size, (Size{128, 96}));
}

TEST_F(VideoPathTest, RefusalsBeforeAnyWork) {
    useTools();
    const auto large = clip("large.mp4", ClipSpec().withSize(1920, 1080).withFrames(1));
    const auto tooLarge = errorOf([&] { upscale(large, options(Target::fullHD)); });
    EXPECT_EQ(tooLarge.kind(), UpscaleError::Case::alreadyLarge);
    EXPECT_EQ(tooLarge.size(), (Size{1920, 1080}));

    Tools withoutFfmpeg = tools();
    withoutFfmpeg.ffmpeg.reset();
    upscaler_ = Upscaler(withoutFfmpeg);
    const auto missing = errorOf([&] { upscale(large, options()); });
    EXPECT_EQ(missing.kind(), UpscaleError::Case::missingFFmpeg);

    Tools withoutModels = tools();
    withoutModels.models = folder_ / "empty-models";
    std::filesystem::create_directories(withoutModels.models);
    upscaler_ = Upscaler(withoutModels);
    const auto small = clip("small.mp4", ClipSpec().withFrames(3));
    const auto noModel = errorOf([&] { upscale(small, options()); });
    EXPECT_EQ(noModel.kind(), UpscaleError::Case::failed);
    EXPECT_FALSE(std::filesystem::exists(engineLog())) << "the engine ran without its model";
    EXPECT_TRUE(outputs().empty());
}
