// The whole pipeline on video clips made by ffmpeg, with the real ffmpeg and ffprobe and the
// stand-in engine behind a script that logs each call.
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
#include <vips/vips8>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <mutex>
#include <thread>

using namespace clarivex;
using namespace clarivex::test;
using Stage = UpscaleProgress::Stage;

namespace {

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream stream(file);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

class VideoPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::signal(SIGPIPE, SIG_IGN);
        if (!ffmpeg_ || !ffprobe_)
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
        std::filesystem::create_directories(temporary());
        std::filesystem::create_directories(sources());
        // Logs the frames of each call and the frame files on disk when it starts; hangs on
        // the call that CLARIVEX_TEST_HANG_ON_CALL names.
        const std::string log = (folder_ / "engine-calls").string();
        const std::string onDisk = (folder_ / "frames-on-disk").string();
        writeExecutable(folder_ / "engine" / "esrgan",
                        "#!/bin/sh\nls \"$2\" | wc -l >> '" + log +
                            "'\nfind \"$(dirname \"$2\")\" "
                            "-name '*.png' | wc -l >> '" +
                            onDisk + "'\nif [ \"$(wc -l < '" + log +
                            "')\" = \"$CLARIVEX_TEST_HANG_ON_CALL\" ]; then export "
                            "FAKE_ESRGAN_HANG=1; fi\nexec '" +
                            TestEngine::standIn().string() + "' \"$@\"\n");
        job_.tools = {folder_ / "engine" / "esrgan", engine_.models(), ffmpeg_, ffprobe_};
        job_.options.target = Target::x2;
        job_.options.copyToPictures = false;
        job_.report = [this](const UpscaleProgress& progress) {
            std::lock_guard guard(lock_);
            reports_.push_back(progress);
        };
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
    std::vector<std::string> engineCalls() const { return linesOf(folder_ / "engine-calls"); }

    std::filesystem::path clip(const std::string& name, const ClipSpec& spec) {
        makeClip(sources() / name, spec);
        return sources() / name;
    }

    UpscaleResult upscale(const std::filesystem::path& source, std::stop_token stopToken = {}) {
        UpscaleJob job = job_;
        job.source = source;
        job.stopToken = stopToken;
        return Upscaler::run(job);
    }

    std::vector<UpscaleProgress> reports() {
        std::lock_guard guard(lock_);
        return reports_;
    }
    bool reported(Stage stage, const std::string& detailStart) {
        const auto all = reports();
        return std::any_of(all.begin(), all.end(), [&](const UpscaleProgress& progress) {
            return progress.stage == stage && progress.detail.starts_with(detailStart);
        });
    }

    // Whatever is next to the sources besides them.
    std::vector<std::string> outputs() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(sources())) {
            const auto name = entry.path().filename().string();
            if (name.find("-2x") != std::string::npos || name.find("-1080p") != std::string::npos ||
                name.starts_with("."))
                names.push_back(name);
        }
        return names;
    }

    // ffmpeg as it is, except for the calls whose arguments contain `marker`, which run
    // `action` instead.
    void wrapFfmpeg(const std::string& marker, const std::string& action) {
        writeExecutable(folder_ / "wrapped" / "ffmpeg",
                        "#!/bin/sh\nfor argument in \"$@\"; do\n    if [ \"$argument\" = '" +
                            marker + "' ]; then\n" + action + "\n    fi\ndone\nexec '" +
                            ffmpeg_->string() + "' \"$@\"\n");
        job_.tools.ffmpeg = folder_ / "wrapped" / "ffmpeg";
    }

    std::optional<std::filesystem::path> ffmpeg_ = findProgram("ffmpeg");
    std::optional<std::filesystem::path> ffprobe_ = findProgram("ffprobe");
    TemporaryFolder folder_{"clarivex-video"};
    TestEngine engine_;
    ScopedEnvironmentVariable temporaryFolder_{"TMPDIR", temporary().string()};
    UpscaleJob job_;
    std::mutex lock_;
    std::vector<UpscaleProgress> reports_;
};

} // namespace

TEST_F(VideoPathTest, SoundIsCarriedWhateverItsCodecAndLength) {
    const struct {
        const char* name;
        ClipSpec spec;
        const char* codec;
    } cases[] = {
        // mp3 fits in MP4, so finding mp3 in the result shows that the sound was copied.
        {"copied.mp4", ClipSpec{.audioCodec = "libmp3lame"}, "mp3"},
        {"reencoded.mkv", ClipSpec{.frames = 20, .audioCodec = "pcm_s16le"}, "aac"},
        // Sound that ends early must not cut the pictures short.
        {"short.mp4", ClipSpec{.audioCodec = "aac", .audioSeconds = 0.3}, "aac"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = upscale(clip(c.name, c.spec));
        const std::string stem = std::filesystem::path(c.name).stem().string();
        EXPECT_EQ(result.output, sources() / (stem + "-2x.mp4"));
        EXPECT_EQ(result.size, (Size{128, 96}));
        EXPECT_EQ(result.model, "realesr-animevideov3");
        const auto facts = probeFile(result.output);
        EXPECT_EQ(facts.videoCodec, "h264");
        EXPECT_EQ((Size{facts.width, facts.height}), (Size{128, 96}));
        EXPECT_EQ(facts.frames, c.spec.frames);
        EXPECT_EQ(facts.audioCodec, c.codec);
    }
    const auto all = reports();
    EXPECT_EQ(all.front(), (UpscaleProgress{Stage::preparing, 0, "copied.mp4"}));
    EXPECT_TRUE(reported(Stage::extracting, "Кадр "));
    EXPECT_TRUE(reported(Stage::encoding, "H.264, 128×96"));
    EXPECT_TRUE(reported(Stage::encoding, "Звук"));
    EXPECT_TRUE(reported(Stage::saving, "short-2x.mp4"));
}

TEST_F(VideoPathTest, OddAndRotatedSourcesComeOutUprightAtAnEvenExactSize) {
    // PNG in QuickTime keeps the odd size that 4:2:0 H.264 could not hold.
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=65x49:rate=25", "-frames:v", "4", "-c:v", "png",
            (sources() / "odd.mov").string()});
    const auto portrait = clip("portrait.mp4", ClipSpec{.frames = 10, .rotate = 90});
    ASSERT_NE(probeFile(portrait).rotation, 0) << "the clip was made without its rotation";
    const struct {
        std::filesystem::path source;
        Target target;
        Size size;
    } cases[] = {
        // 65 × 1080 ÷ 49 = 1432.65 becomes the even 1432; the encoder resamples the engine's
        // ×4 output (260×196).
        {sources() / "odd.mov", Target::fullHD, {1432, 1080}},
        {portrait, Target::x2, {96, 128}},
    };
    for (const auto& c : cases) {
        job_.options.target = c.target;
        const auto result = upscale(c.source);
        EXPECT_EQ(result.size, c.size);
        const auto facts = probeFile(result.output);
        EXPECT_EQ((Size{facts.width, facts.height}), c.size);
        EXPECT_EQ(facts.rotation, 0);
    }
}

// Hundreds of frames pass through a working folder that holds a few chunks at a time, with a
// disk that has just what the check asks for; a brightness ramp shows every frame in its place
// across the chunk boundaries.
TEST_F(VideoPathTest, LongClipGoesInChunksOnLittleDiskAndKeepsItsOrder) {
    constexpr int frames = 400;
    const auto source = sources() / "ramp.mp4";
    ffmpeg({"-f", "lavfi", "-i", "color=black:size=64x48:rate=50", "-vf",
            "geq=lum='N*0.6':cb=128:cr=128", "-frames:v", std::to_string(frames), "-c:v", "libx264",
            "-crf", "0", "-pix_fmt", "yuv420p", source.string()});
    const auto needed = videoSpaceNeeded({64, 48}, 2, {128, 96}, frames, 48, false);
    job_.freeSpace = [needed](const std::filesystem::path&) { return needed; };
    const auto result = upscale(source);

    std::vector<std::string> chunks(8, "48");
    chunks.push_back("16");
    EXPECT_EQ(engineCalls(), chunks);
    for (const auto& count : linesOf(folder_ / "frames-on-disk"))
        EXPECT_LE(std::stoi(count), 4 * 48) << "frames on disk when the engine started";
    EXPECT_TRUE(reported(Stage::upscaling, "Кадры 385–400 из "));
    EXPECT_FALSE(reported(Stage::encoding, "Звук")) << "a silent clip needs no sound pass";

    const auto gray = folder_ / "ramp.gray";
    ffmpeg({"-i", result.output.string(), "-vf", "scale=1:1,format=gray", "-f", "rawvideo",
            gray.string()});
    const std::string levels = readFile(gray);
    ASSERT_EQ(levels.size(), static_cast<std::size_t>(frames));
    // Luma N × 0.6 in the limited range comes back as full-range gray.
    for (int index = 0; index < frames; ++index)
        EXPECT_NEAR(static_cast<unsigned char>(levels[index]),
                    std::clamp((index * 0.6 - 16) * 255 / 219, 0.0, 255.0), 4)
            << "frame " << index;
}

TEST_F(VideoPathTest, LoopIsSilentAndShorterBySeamUnlessTooShortForOne) {
    job_.options.seamlessLoop = true;
    const struct {
        const char* name;
        int frames;
        int resultFrames;
        bool looped;
    } cases[] = {
        // 1 s: the seam is a third of it, and the result 2/3 s.
        {"wave.mp4", 30, 20, true},
        // 0.5 s: a seam under 0.2 s would flash, so the clip stays as it is.
        {"blink.mp4", 15, 15, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = clip(c.name, ClipSpec{.frames = c.frames, .audioCodec = "aac"});
        const auto result = upscale(source);
        EXPECT_EQ(result.output.filename().string(), source.stem().string() + "-2x-loop.mp4");
        const auto facts = probeFile(result.output);
        EXPECT_EQ(facts.frames, c.resultFrames);
        EXPECT_TRUE(facts.audioCodec.empty());
    }
    const auto all = reports();
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const UpscaleProgress& p) { return p.stage == Stage::looping; }),
              1);
    EXPECT_TRUE(reported(Stage::looping, "Стык 0.3 с"));
}

// The name chosen up front was taken while the video was made.
TEST_F(VideoPathTest, TakenNameIsNotReplaced) {
    const auto source = clip("clip.mp4", ClipSpec{.frames = 10});
    const auto taken = sources() / "clip-2x.mp4";
    job_.report = [&](const UpscaleProgress& progress) {
        if (progress.stage == Stage::encoding)
            std::ofstream(taken) << "someone else's file";
    };
    EXPECT_EQ(upscale(source).output, sources() / "clip-2x 2.mp4");
    EXPECT_EQ(readFile(taken), "someone else's file");
}

// Each failure is told by the side that failed first, not by those it stopped, and leaves
// nothing next to the source.
TEST_F(VideoPathTest, FailuresTellWhyAndLeaveNothing) {
    const auto source = clip("clip.mp4", ClipSpec{.frames = 60, .audioCodec = "aac"});
    const std::string fail = "echo 'simulated failure' >&2; exit 1";
    {
        ScopedEnvironmentVariable skip("FAKE_ESRGAN_SKIP", "000007.png");
        EXPECT_EQ(failureOf([&] { upscale(source); }), "ESRGAN пропустил кадр 000007.png");
    }
    wrapFfmpeg("1:a:0", fail);
    EXPECT_EQ(failureOf([&] { upscale(source); }),
              "ffmpeg завершился с кодом 1\nsimulated failure");
    // The encoder dies after part of the first chunk.
    wrapFfmpeg("-framerate", "head -c 20000 >/dev/null; " + fail);
    const std::string encoder = failureOf([&] { upscale(source); });
    EXPECT_TRUE(encoder.starts_with("Кодировщик")) << encoder;
    EXPECT_NE(encoder.find("simulated failure"), std::string::npos) << encoder;
    EXPECT_TRUE(outputs().empty());
}

TEST_F(VideoPathTest, CancelDuringTheSecondChunkStopsEverything) {
    const auto source = clip("long.mp4", ClipSpec{.frames = 100, .rate = "50"});
    ScopedEnvironmentVariable hang("CLARIVEX_TEST_HANG_ON_CALL", "2");
    std::stop_source stop;
    const std::jthread canceller([&](std::stop_token done) {
        while (!done.stop_requested() && engineCalls().size() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    });
    EXPECT_THROW(upscale(source, stop.get_token()), Cancelled);
    EXPECT_EQ(engineCalls().size(), 2u);
    EXPECT_TRUE(outputs().empty());
    EXPECT_FALSE(reported(Stage::encoding, ""));
}

// A phone clip that pauses: the frames are spread at the constant rate the encoder is given,
// so the result lasts as long as the source (and its sound stays in step).
TEST_F(VideoPathTest, VariableFrameRateKeepsTheSourceDuration) {
    const auto source = sources() / "pause.mp4";
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=30", "-frames:v", "30", "-vf",
            "setpts=PTS+gte(N\\,15)/TB", "-fps_mode", "passthrough", "-c:v", "libx264", "-pix_fmt",
            "yuv420p", source.string()});
    const double sourceSeconds = probeFile(source).duration;
    ASSERT_GT(sourceSeconds, 1.9) << "the clip was made without its pause";
    const auto facts = probeFile(upscale(source).output);
    EXPECT_NEAR(facts.duration, sourceSeconds, 1.0 / 30);
    EXPECT_NEAR(static_cast<double>(facts.frames), sourceSeconds * 30, 1);
}

TEST_F(VideoPathTest, RefusalsBeforeAnyWork) {
    const auto small = clip("small.mp4", ClipSpec{.frames = 30});
    std::vector<std::filesystem::path> asked;
    job_.freeSpace = [&](const std::filesystem::path& folder) {
        asked.push_back(folder);
        return std::optional<std::int64_t>(1000);
    };
    const auto lowDisk = errorOf([&] { upscale(small); });
    EXPECT_EQ(lowDisk.kind(), UpscaleError::Case::lowDisk);
    EXPECT_EQ(lowDisk.needed(), videoSpaceNeeded({64, 48}, 2, {128, 96}, 30, 48, false));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked.front().filename().string().starts_with("Clarivex-"));
    EXPECT_FALSE(reported(Stage::extracting, "")) << "refused after extracting";
    // A volume that cannot say how much is free does not stop the job.
    job_.freeSpace = [](const std::filesystem::path&) { return std::nullopt; };
    EXPECT_EQ(upscale(small).size, (Size{128, 96}));

    ffmpeg({"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac",
            (sources() / "voice.mp4").string()});
    EXPECT_EQ(failureOf([&] { upscale(sources() / "voice.mp4"); }),
              "Формат не поддерживается: в файле нет видеодорожки");
    job_.options.target = Target::fullHD;
    const auto large = clip("large.mp4", ClipSpec{.width = 1920, .height = 1080, .frames = 1});
    EXPECT_EQ(errorOf([&] { upscale(large); }).kind(), UpscaleError::Case::alreadyLarge);
    job_.options.target = Target::x2;
    job_.tools.models = folder_ / "empty-models";
    std::filesystem::create_directories(job_.tools.models);
    EXPECT_TRUE(failureOf([&] { upscale(small); }).starts_with("Не найден файл модели"));
    job_.tools.ffmpeg.reset();
    EXPECT_EQ(errorOf([&] { upscale(small); }).kind(), UpscaleError::Case::missingFFmpeg);
    EXPECT_EQ(engineCalls().size(), 1u) << "only the job that had the space ran the engine";
}

// Colour bars made in every common way come out looking like the source, read with the source's
// own matrix and range, and written as tagged BT.709; HDR is tone-mapped and says so.
TEST_F(VideoPathTest, ColourBarsKeepTheirColoursAsTaggedBt709) {
    // Eight 75 % bars: white, yellow, cyan, green, magenta, red, blue, black.
    const std::vector<std::vector<double>> colours{{191, 191, 191}, {191, 191, 0}, {0, 191, 191},
                                                   {0, 191, 0},     {191, 0, 191}, {191, 0, 0},
                                                   {0, 0, 191},     {0, 0, 0}};
    vips::VImage bars = vips::VImage::black(320, 240, vips::VImage::option()->set("bands", 3))
                            .cast(VIPS_FORMAT_UCHAR)
                            .copy_memory();
    for (std::size_t index = 0; index < colours.size(); ++index)
        bars.draw_rect(colours[index], static_cast<int>(index) * 40, 0, 40, 240,
                       vips::VImage::option()->set("fill", true));
    const auto barsFile = sources() / "bars.png";
    bars.pngsave(barsFile.c_str());

    const std::string hdr = "zscale=transferin=709:primariesin=709:matrixin=gbr:rangein=full:"
                            "primaries=2020:matrix=2020_ncl:range=limited:npl=100:transfer=";
    struct Case {
        std::string name;
        // How the clip is made from the bars.
        std::vector<std::string> encoding;
        int tolerance;
    };
    const std::vector<Case> cases{
        {"sd-untagged.mp4", {"-vf", "scale=out_color_matrix=bt601,format=yuv420p"}, 4},
        {"hd-untagged-sound.mp4",
         {"-vf", "scale=1280:720:flags=neighbor,scale=out_color_matrix=bt709,format=yuv420p"},
         4},
        {"phone-full-range-loop.mp4",
         {"-vf", "scale=out_color_matrix=bt709:out_range=pc,format=yuvj420p", "-color_range", "pc",
          "-colorspace", "bt709"},
         4},
        {"wide-gamut.mp4",
         {"-vf", hdr + "709,format=yuv420p10le", "-color_primaries", "bt2020", "-color_trc",
          "bt2020-10", "-colorspace", "bt2020nc"},
         4},
        {"hdr-pq.mp4",
         {"-vf", hdr + "smpte2084,format=yuv420p10le", "-color_primaries", "bt2020", "-color_trc",
          "smpte2084", "-colorspace", "bt2020nc"},
         20},
        {"hdr-hlg.mp4",
         {"-vf", hdr + "arib-std-b67,format=yuv420p10le", "-color_primaries", "bt2020",
          "-color_trc", "arib-std-b67", "-colorspace", "bt2020nc"},
         20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool loop = c.name.ends_with("-loop.mp4");
        const auto source = sources() / c.name;
        std::vector<std::string> arguments{"-loop", "1",  "-framerate",
                                           "10",    "-i", barsFile.string()};
        if (c.name.ends_with("-sound.mp4"))
            arguments.insert(arguments.end(), {"-f", "lavfi", "-i", "sine=duration=0.2"});
        arguments.insert(arguments.end(), c.encoding.begin(), c.encoding.end());
        arguments.insert(arguments.end(), {"-frames:v", loop ? "8" : "2", "-c:v", "libx264",
                                           "-preset", "ultrafast", "-qp", "0", source.string()});
        ffmpeg(arguments);
        job_.options.seamlessLoop = loop;
        {
            std::lock_guard guard(lock_);
            reports_.clear();
        }
        const auto result = upscale(source);
        EXPECT_EQ(probeFile(result.output).colourTags, "bt709/bt709/bt709/tv");

        // Two middle rows of the first frame, decoded as the tags say.
        const auto rows = folder_ / "rows.rgb";
        ffmpeg({"-i", result.output.string(), "-frames:v", "1", "-vf",
                "crop=iw:2:0:ih/2,scale=in_color_matrix=bt709:in_range=tv:flags=accurate_rnd+"
                "full_chroma_int,format=rgb24",
                "-f", "rawvideo", rows.string()});
        const std::string pixels = readFile(rows);
        const auto width = static_cast<int>(pixels.size() / 6);
        for (std::size_t index = 0; index < colours.size(); ++index) {
            const auto x = static_cast<std::size_t>((2 * static_cast<int>(index) + 1) * width / 16);
            for (std::size_t channel = 0; channel < 3; ++channel)
                EXPECT_NEAR(static_cast<unsigned char>(pixels[3 * x + channel]),
                            colours[index][channel], c.tolerance)
                    << "bar " << index << " channel " << channel;
        }
        EXPECT_EQ(reported(Stage::encoding, "H.264, " + result.size.description() + " · HDR → SDR"),
                  c.name.starts_with("hdr"));
    }
}
