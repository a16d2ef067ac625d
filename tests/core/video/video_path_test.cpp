#include "core/pipeline/upscaler.h"

#include "core/process/shell.h"
#include "core/video/part_folder.h"
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
#include <cmath>
#include <csignal>
#include <fstream>
#include <functional>
#include <mutex>
#include <tuple>

#include <unistd.h>

using namespace clarivex;
using namespace clarivex::test;
using Stage = UpscaleProgress::Stage;

namespace {

struct ReportLog {
    void operator()(const UpscaleProgress& progress) {
        std::lock_guard guard(lock);
        reports.push_back(progress);
    }
    bool contains(Stage stage, const std::function<bool(const ProgressDetail&)>& detail) const {
        return std::ranges::any_of(
            reports, [&](const auto& p) { return p.stage == stage && detail(p.detail); });
    }
    bool contains(Stage stage, const ProgressDetail& detail) const {
        return contains(stage, [&](const ProgressDetail& seen) { return seen == detail; });
    }
    std::mutex lock;
    std::vector<UpscaleProgress> reports;
};

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream stream(file);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

void expectNeverBackwards(const std::vector<UpscaleProgress>& reports) {
    for (std::size_t index = 1; index < reports.size(); ++index)
        EXPECT_LE(reports[index - 1].fraction, reports[index].fraction)
            << static_cast<int>(reports[index - 1].detail.kind) << " then "
            << static_cast<int>(reports[index].detail.kind);
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
        engine_.countCalls(engineLog(), "find \"$(dirname \"$2\")\" -name '*.png' | wc -l >> '" +
                                            framesOnDiskLog().string() + "'\n");
        tools_ = tools();
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
    std::filesystem::path engineLog() const { return folder_ / "engine-calls"; }
    // How many frame files the working folder held whenever the engine started.
    std::filesystem::path framesOnDiskLog() const { return folder_ / "frames-on-disk"; }

    Tools tools() const { return Tools{engine_.executable(), engine_.models(), ffmpeg_, ffprobe_}; }

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
                          ProgressCallback report = {}) {
        return Upscaler::run(
            {.tools = tools_,
             .source = source,
             .options = options,
             .report = report ? std::move(report) : ProgressCallback(std::ref(log_)),
             .chunkSize = chunkSize_,
             .tiles = std::make_shared<TileMemory>(),
             .segmentSeconds = segmentSeconds_,
             .freeSpace = freeSpace_});
    }

    // Whatever is next to the sources besides them, hidden part folders included.
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
        test::writeExecutable(wrapper, "#!/bin/sh\nfor argument in \"$@\"; do\n"
                                       "    [ \"$argument\" = '" +
                                           marker +
                                           "' ] && echo 'simulated failure' >&2 && exit 1\n"
                                           "done\nexec '" +
                                           ffmpeg_->string() + "' \"$@\"\n");
        return wrapper;
    }

    std::optional<std::filesystem::path> ffmpeg_;
    std::optional<std::filesystem::path> ffprobe_;
    test::TemporaryFolder folder_{"clarivex-video"};
    test::TestEngine engine_;
    test::ScopedEnvironmentVariable temporaryFolder_{"TMPDIR", temporary().string()};
    Tools tools_;
    FreeSpaceQuery freeSpace_ = availableSpace;
    int chunkSize_ = defaultChunkSize;
    double segmentSeconds_ = 4.0;
    ReportLog log_;
};

} // namespace

// Two sound tracks (MP3, which MP4 holds, and PCM, which it does not, shorter than the
// pictures), SRT subtitles, chapters and language tags all reach the result.
TEST_F(VideoPathTest, EveryTrackIsCarriedOver) {
    const auto subtitles = sources() / "clip.srt";
    test::writeFile(subtitles, "1\n00:00:00,000 --> 00:00:00,500\nПривет\n\n"
                               "2\n00:00:00,500 --> 00:00:00,900\nМир\n");
    const auto chapters = sources() / "chapters.txt";
    test::writeFile(chapters, ";FFMETADATA1\ntitle=Фильм\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\n"
                              "END=500\ntitle=Начало\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\n"
                              "END=1000\ntitle=Конец\n");
    const auto source = sources() / "clip.mkv";
    std::vector<std::string> arguments{"-f", "lavfi", "-i", "testsrc=size=64x48:rate=30"};
    for (const char* sound : {"sine=duration=1", "sine=frequency=880:duration=0.3"})
        arguments.insert(arguments.end(), {"-f", "lavfi", "-i", sound});
    arguments.insert(arguments.end(), {"-i", subtitles.string(), "-i", chapters.string()});
    for (const char* stream : {"0:v", "1:a", "2:a", "3:s"})
        arguments.insert(arguments.end(), {"-map", stream});
    arguments.insert(arguments.end(), {"-map_metadata", "4", "-map_chapters", "4", "-t", "1",
                                       "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:s", "srt"});
    arguments.insert(arguments.end(), {"-c:a:0", "libmp3lame", "-metadata:s:a:0", "language=rus",
                                       "-c:a:1", "pcm_s16le", "-metadata:s:a:1", "language=eng",
                                       "-metadata:s:s:0", "language=rus", source.string()});
    ffmpeg(arguments);
    const auto result = upscale(source, options());

    EXPECT_EQ(result.output, sources() / "clip-2x.mp4");
    EXPECT_EQ(result.size, (Size{128, 96}));
    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.videoCodec, "h264");
    EXPECT_EQ(facts.frames, 30);
    EXPECT_EQ(facts.audio, (std::vector<std::string>{"mp3 rus default", "aac eng"}));
    ASSERT_EQ(facts.subtitles.size(), 1u);
    EXPECT_TRUE(facts.subtitles[0].starts_with("mov_text rus")) << facts.subtitles[0];
    EXPECT_EQ(facts.chapters, 2);
    EXPECT_EQ(outputs(), std::vector<std::string>{"clip-2x.mp4"});

    EXPECT_TRUE(log_.contains(Stage::encoding, {.kind = ProgressDetail::Kind::joining,
                                                .tracks = {.audio = 2, .subtitles = 1}}));
    expectNeverBackwards(log_.reports);
}

// What a film from the wild holds besides its pictures: Windows-1251 subtitles (which ffmpeg's
// decoder would drop event by event, leaving an empty track), a sound track without a single
// packet (which MP4 drops), and a font for the subtitles (which MP4 cannot hold). The result's
// subtitles are readable, and the detail names what is carried and what is left out.
TEST_F(VideoPathTest, TracksMp4CannotHoldAreNamedAndLegacySubtitlesConverted) {
    const auto subtitles = sources() / "film.srt";
    // "Привет" and "Мир" in Windows-1251.
    test::writeFile(subtitles, "1\n00:00:00,000 --> 00:00:00,500\n\xCF\xF0\xE8\xE2\xE5\xF2\n\n"
                               "2\n00:00:00,500 --> 00:00:00,900\n\xCC\xE8\xF0\n");
    const auto font = sources() / "font.ttf";
    test::writeFile(font, std::string(64, 'f'));
    const auto source = sources() / "film.mkv";
    ffmpeg({"-f",
            "lavfi",
            "-i",
            "testsrc=size=64x48:rate=30",
            "-f",
            "lavfi",
            "-i",
            "sine=duration=1",
            "-f",
            "lavfi",
            "-i",
            "aevalsrc=0:d=0",
            "-i",
            subtitles.string(),
            "-map",
            "0:v",
            "-map",
            "1:a",
            "-map",
            "2:a",
            "-map",
            "3:s",
            "-t",
            "1",
            "-c:v",
            "libx264",
            "-pix_fmt",
            "yuv420p",
            "-c:a",
            "aac",
            "-c:s",
            "copy",
            "-attach",
            font.string(),
            "-metadata:s:t",
            "mimetype=application/x-truetype-font",
            source.string()});
    const auto result = upscale(source, options());

    const auto facts = probeFile(result.output);
    EXPECT_EQ(facts.audio.size(), 1u);
    ASSERT_EQ(facts.subtitles.size(), 1u);
    const std::string text = Shell::run(
        *ffmpeg_, {"-v", "error", "-i", result.output.string(), "-f", "srt", "-"}, {}, {});
    EXPECT_NE(text.find("Привет"), std::string::npos) << text;
    EXPECT_NE(text.find("Мир"), std::string::npos) << text;
    EXPECT_TRUE(log_.contains(Stage::encoding, [](const ProgressDetail& detail) {
        const TrackNote& tracks = detail.tracks;
        return detail.kind == ProgressDetail::Kind::joining && tracks.audio == 1 &&
               tracks.subtitles == 1 &&
               tracks.convertedFrom == std::vector<std::string>{"CP1251"} &&
               tracks.emptyTracks == 1 && tracks.fonts > 0 && tracks.otherAttachments == 0 &&
               tracks.dataStreams == 0 && !tracks.timecode;
    }));
}

// A QuickTime time code track becomes the result's own.
TEST_F(VideoPathTest, TheTimecodeIsCarried) {
    const auto source = sources() / "take.mov";
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=25", "-frames:v", "10", "-c:v", "libx264",
            "-pix_fmt", "yuv420p", "-timecode", "10:00:00:00", source.string()});
    const auto result = upscale(source, options());
    const std::string answer =
        Shell::run(*ffprobe_,
                   {"-v", "error", "-show_entries", "stream=codec_tag_string:stream_tags=timecode",
                    "-of", "csv=p=0", result.output.string()},
                   {}, {});
    EXPECT_NE(answer.find("tmcd,10:00:00:00"), std::string::npos) << answer;
    EXPECT_TRUE(log_.contains(
        Stage::encoding, {.kind = ProgressDetail::Kind::joining, .tracks = {.timecode = true}}));
}

// Each clip comes out upright at the exact even size and with all its frames. PNG in QuickTime
// keeps the odd size that 4:2:0 H.264 could not hold: factor 1080 ÷ 49, and 65 × 22.04… =
// 1432.65 becomes the even 1432 (the engine's ×4 output, 260×196, is resampled by the encoder).
// A phone clip that pauses a second is spread at the constant rate the encoder is given, so it
// lasts as long as the source. A loop of 30 frames at 30 per second: d = 1 s, seam = d ÷ 3,
// result 2/3 s = 20 frames; 15 frames are too short for a seam of 0.2 s: the plain pictures.
// Loops are silent.
TEST_F(VideoPathTest, ResultsAreUprightAtTheExactEvenSizeWithAllTheirFrames) {
    const auto odd = sources() / "odd.mov";
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=65x49:rate=25", "-frames:v", "4", "-c:v", "png",
            odd.string()});
    const auto portrait = clip("portrait.mp4", {.frames = 10, .rotate = 90});
    ASSERT_NE(probeFile(portrait).rotation, 0) << "the clip was made without its rotation";
    const auto paused = sources() / "pause.mp4";
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=30", "-frames:v", "30", "-vf",
            "setpts=PTS+gte(N\\,15)/TB", "-fps_mode", "passthrough", "-c:v", "libx264", "-pix_fmt",
            "yuv420p", paused.string()});
    ASSERT_GT(probeFile(paused).duration, 1.9) << "the clip was made without its pause";
    Options loop = options();
    loop.seamlessLoop = true;
    const struct {
        std::filesystem::path source;
        Options options;
        Size size;
        int frames;
        bool seam;
    } cases[] = {
        {odd, options(Target::fullHD), {1432, 1080}, 4, false},
        {portrait, options(), {96, 128}, 10, false},
        {paused, options(), {128, 96}, 60, false},
        {clip("wave.mp4", {.audioCodec = "aac"}), loop, {128, 96}, 20, true},
        {clip("short.mp4", {.frames = 15, .audioCodec = "aac"}), loop, {128, 96}, 15, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.filename());
        log_.reports.clear();
        const auto result = upscale(c.source, c.options);
        EXPECT_EQ(result.size, c.size);
        const auto facts = probeFile(result.output);
        EXPECT_EQ((Size{facts.width, facts.height}), c.size);
        EXPECT_NEAR(static_cast<double>(facts.frames), c.frames, c.source == paused ? 1 : 0);
        EXPECT_EQ(facts.rotation, 0);
        EXPECT_EQ(result.output.stem().string().ends_with("-loop"), c.options.seamlessLoop);
        EXPECT_TRUE(facts.audio.empty());
        EXPECT_EQ(log_.contains(Stage::looping,
                                [](const ProgressDetail& detail) {
                                    return detail.kind == ProgressDetail::Kind::seam &&
                                           std::abs(detail.value - 0.3) < 0.05;
                                }),
                  c.seam);
    }
}

// Hundreds of frames pass through the engine in chunks of 48 and a working folder that holds a
// few chunks at a time, with a disk that has just what the check asks for; a brightness ramp
// shows every frame in its place across the chunk and segment boundaries.
TEST_F(VideoPathTest, LongClipNeedsAFewChunksOfDiskAndKeepsItsOrder) {
    segmentSeconds_ = 1;
    constexpr int frames = 400;
    const auto source = sources() / "ramp.mp4";
    ffmpeg({"-f", "lavfi", "-i", "color=black:size=64x48:rate=50", "-vf",
            "geq=lum='N*0.6':cb=128:cr=128", "-frames:v", std::to_string(frames), "-c:v", "libx264",
            "-crf", "0", "-pix_fmt", "yuv420p", source.string()});
    const auto needed =
        temporarySpaceNeeded({64, 48}, 2, 48) + destinationSpaceNeeded({128, 96}, frames, frames);
    freeSpace_ = [needed](const std::filesystem::path&) {
        return std::optional<FreeSpace>({1, needed});
    };
    const auto result = upscale(source, options());

    // Two engines run at once, so their lines may come in either order.
    auto chunkSizes = linesOf(engineLog());
    std::ranges::sort(chunkSizes);
    EXPECT_EQ(chunkSizes,
              (std::vector<std::string>{"16", "48", "48", "48", "48", "48", "48", "48", "48"}));
    for (const auto& count : linesOf(framesOnDiskLog()))
        EXPECT_LE(std::stoi(count), 2 * chunksOnDisk * 48)
            << "frames on disk when the engine started";
    // Silent: the segments are joined, and nothing else.
    EXPECT_TRUE(log_.contains(Stage::encoding, {.kind = ProgressDetail::Kind::joining}));
    EXPECT_TRUE(probeFile(result.output).audio.empty());

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

// The next chunk's engine starts while the one before computes, so that its start costs no
// time: the first chunk's engine puts out a first frame (a copy of its input, which it replaces
// later) and then does not finish before the second's has started (it waits for that, up to half
// a minute, instead of failing outright). Frames still arrive in order.
TEST_F(VideoPathTest, NextChunksEngineStartsWhileTheOneBeforeComputes) {
    chunkSize_ = 4;
    const auto source = clip("clip.mp4", {.frames = 12});
    const auto reference = sources() / "reference.mp4";
    std::filesystem::rename(upscale(source, options()).output, reference);

    const auto log = folder_ / "engine-order";
    const std::string chunk = "$(basename \"$2\")";
    engine_.surround("echo \"start " + chunk + "\" >> '" + log.string() +
                         "'\n"
                         "if [ " +
                         chunk +
                         " = chunk-in-0 ]; then\n"
                         "    first=$(ls \"$2\" | head -n 1)\n"
                         "    mkdir -p \"$4\" && cp \"$2/$first\" \"$4/$first\"\n"
                         "    tries=0\n"
                         "    until grep -q 'start chunk-in-1' '" +
                         log.string() +
                         "' || [ $tries = 300 ]; do sleep 0.1; tries=$((tries + 1)); done\n"
                         "fi",
                     "echo \"end " + chunk + "\" >> '" + log.string() + "'");
    const auto result = upscale(source, options());

    const auto order = linesOf(log);
    const auto at = [&](const std::string& line) {
        return std::ranges::find(order, line) - order.begin();
    };
    EXPECT_EQ(order.size(), 6u);
    EXPECT_LT(at("start chunk-in-1"), at("end chunk-in-0"));
    EXPECT_EQ(frameHashes(result.output), frameHashes(reference));
}

// Each file system is asked for what goes onto it: the chunks in the temporary folder, the
// segments and the result beside the source, both together when they share one. A low disk, a
// clip already at the size and a missing ffmpeg are refused before any frame is extracted.
TEST_F(VideoPathTest, RefusalsComeBeforeAnyFrameIsExtracted) {
    const auto source = clip("clip.mp4", {});
    const std::int64_t chunks = temporarySpaceNeeded({64, 48}, 2, 48);
    const std::int64_t beside = destinationSpaceNeeded({128, 96}, 30, 30);
    using Place = UpscaleError::Place;
    struct Case {
        std::string name;
        FreeSpace temporary;
        FreeSpace destination;
        Place place;
        std::int64_t needed;
    };
    const std::vector<Case> cases{
        {"temporary full", {1, chunks - 1}, {2, beside}, Place::temporary, chunks},
        {"destination full", {1, chunks}, {2, beside - 1}, Place::destination, beside},
        {"one disk for both", {1, beside}, {1, beside}, Place::destination, chunks + beside},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freeSpace_ = [&](const std::filesystem::path& folder) {
            const bool temporaryFolder = folder.filename().string().starts_with("Clarivex-");
            EXPECT_TRUE(temporaryFolder || folder == sources()) << folder;
            return std::optional<FreeSpace>(temporaryFolder ? c.temporary : c.destination);
        };
        const auto error = errorOf([&] { upscale(source, options()); });
        EXPECT_EQ(error.kind(), UpscaleError::Case::lowDisk);
        EXPECT_EQ(error.place(), c.place);
        EXPECT_EQ(error.needed(), c.needed);
        EXPECT_EQ(error.folder(), c.place == Place::temporary ? temporary() : sources());
        EXPECT_TRUE(outputs().empty());
        EXPECT_TRUE(entriesStartingWith(temporary(), "Clarivex-").empty());
    }
    freeSpace_ = availableSpace;
    const auto large = clip("large.mp4", {.width = 1920, .height = 1080, .frames = 1});
    const auto tooLarge = errorOf([&] { upscale(large, options(Target::fullHD)); });
    EXPECT_EQ(tooLarge.kind(), UpscaleError::Case::alreadyLarge);
    EXPECT_EQ(tooLarge.size(), (Size{1920, 1080}));
    tools_.ffmpeg.reset();
    EXPECT_EQ(errorOf([&] { upscale(large, options()); }).kind(),
              UpscaleError::Case::missingFFmpeg);
    EXPECT_FALSE(std::filesystem::exists(engineLog())) << "the engine ran";
    EXPECT_TRUE(outputs().empty());
    for (const auto& report : log_.reports)
        EXPECT_NE(report.stage, Stage::extracting);

    // A volume that cannot say how much is free does not stop the job.
    tools_ = tools();
    freeSpace_ = [](const std::filesystem::path&) { return std::nullopt; };
    EXPECT_EQ(upscale(source, options()).size, (Size{128, 96}));
}

// A run that fails keeps its finished segments (with none finished, nothing), as one the program's
// end stops does. The same job run again asks the engine only for the frames after them, says
// so, never shows less done than before, and makes frame for frame the video an uninterrupted
// run makes; a changed source or other settings start afresh. Chunks of 6 frames, segments of 3
// (at 0.1 s); the engine skips a frame of the second chunk, or the joining fails.
TEST_F(VideoPathTest, UnfinishedRunIsContinuedByTheNextRunOfTheSameJob) {
    chunkSize_ = 6;
    segmentSeconds_ = 0.1;
    const auto source = clip("clip.mp4", {.frames = 18});
    const auto reference = sources() / "reference.mp4";
    std::filesystem::rename(upscale(source, options()).output, reference);
    const auto parts = PartFolder::pathFor(source, sources() / "clip-2x.mp4");
    struct Case {
        std::string name;
        bool joinFails;
        double segmentSeconds;
        int framesKept;
        // What the second run changes: "", "model" or "source".
        std::string change;
    };
    const std::vector<Case> cases{
        {"engine skips a frame", false, 0.1, 6, ""},
        {"engine skips a frame, no segment finished", false, 4, 0, ""},
        {"joining fails", true, 0.1, 18, ""},
        {"other settings", false, 0.1, 6, "model"},
        {"a changed source", false, 0.1, 6, "source"},
        // A hand-edited manifest says the first segment holds 2 frames: used, it would drop one.
        {"a manifest that lies", false, 0.1, 6, "lie"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        segmentSeconds_ = c.segmentSeconds;
        tools_ = tools();
        if (c.joinFails)
            tools_.ffmpeg = ffmpegFailingOn("-map_chapters");
        {
            test::ScopedEnvironmentVariable skip("FAKE_ESRGAN_SKIP",
                                                 c.joinFails ? "" : "000007.png");
            EXPECT_EQ(errorOf([&] { upscale(source, options()); }),
                      c.joinFails ? UpscaleError::programExit("ffmpeg", 1, "simulated failure")
                                  : UpscaleError::badResult({.frame = "000007.png"}));
        }
        EXPECT_EQ(3 * static_cast<int>(finishedSegments(parts)), c.framesKept);
        if (c.framesKept == 0) {
            EXPECT_TRUE(outputs().empty());
            continue;
        }
        EXPECT_EQ(outputs(), std::vector<std::string>{parts.filename().string()});

        if (c.change == "source")
            makeClip(source, {.frames = 18, .rate = "25"});
        if (c.change == "lie") {
            std::string manifest = readFile(parts / "manifest.json");
            const auto frames = manifest.find("\"frames\": 3");
            ASSERT_NE(frames, std::string::npos) << manifest;
            manifest.replace(frames, 12, "\"frames\": 2");
            writeFile(parts / "manifest.json", manifest, std::filesystem::perms(0600));
        }
        Options second = options();
        if (c.change == "model")
            second.model = ModelChoice::art;
        tools_ = tools();
        std::filesystem::remove(engineLog());
        log_.reports.clear();
        const auto result = upscale(source, second);
        const bool continues = c.change.empty();
        EXPECT_EQ(framesInLog(engineLog()), continues ? 18 - c.framesKept : 18);
        EXPECT_EQ(log_.contains(
                      Stage::upscaling,
                      {.kind = ProgressDetail::Kind::resumed, .done = c.framesKept, .total = 18}),
                  continues);
        EXPECT_EQ(outputs(), std::vector<std::string>{"clip-2x.mp4"});
        if (continues) {
            EXPECT_EQ(frameHashes(result.output), frameHashes(reference));
            const auto reports = log_.reports;
            expectNeverBackwards(reports);
            for (const auto& report : reports) {
                if (report.stage == Stage::upscaling &&
                    report.detail.kind == ProgressDetail::Kind::frames) {
                    EXPECT_GE(report.detail.done, c.framesKept);
                }
            }
        }
        std::filesystem::remove(result.output);
    }
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
    std::vector<Case> cases{
        {"sd-untagged.mp4", {"-vf", "scale=out_color_matrix=bt601,format=yuv420p"}, 4},
        {"phone-full-range-loop.mp4",
         {"-vf", "scale=out_color_matrix=bt709:out_range=pc,format=yuvj420p", "-color_range", "pc",
          "-colorspace", "bt709"},
         4},
    };
    for (const auto& [name, zscale, trc, tolerance] :
         {std::tuple{"wide-gamut.mp4", "709", "bt2020-10", 4},
          std::tuple{"hdr-pq.mp4", "smpte2084", "smpte2084", 20},
          std::tuple{"hdr-hlg.mp4", "arib-std-b67", "arib-std-b67", 20}})
        cases.push_back({name,
                         {"-vf", hdr + zscale + ",format=yuv420p10le", "-color_primaries", "bt2020",
                          "-color_trc", trc, "-colorspace", "bt2020nc"},
                         tolerance});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool loop = c.name.ends_with("-loop.mp4");
        const auto source = sources() / c.name;
        std::vector<std::string> arguments{"-loop", "1",  "-framerate",
                                           "10",    "-i", barsFile.string()};
        arguments.insert(arguments.end(), c.encoding.begin(), c.encoding.end());
        arguments.insert(arguments.end(), {"-frames:v", loop ? "8" : "2", "-c:v", "libx264",
                                           "-preset", "ultrafast", "-qp", "0", source.string()});
        ffmpeg(arguments);
        Options options = this->options();
        options.seamlessLoop = loop;
        const auto result = upscale(source, options);
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
        EXPECT_EQ(log_.contains(
                      Stage::encoding,
                      {.kind = ProgressDetail::Kind::encoding, .hdr = true, .size = result.size}),
                  c.name.starts_with("hdr"));
    }
}

// A part folder that another user made under the job's name beside the result, or one that
// holds their files: the parts go to the user's own folder instead, and the result is ours.
TEST_F(VideoPathTest, AnotherUsersPartFolderSendsThePartsToTheUsersOwnFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    const auto source = clip("clip.mp4", {.frames = 6});
    const auto parts = PartFolder::pathFor(source, sources() / "clip-2x.mp4");
    std::filesystem::create_directory(parts);
    writeFile(parts / "segment-000000.mp4", "theirs");
    ASSERT_EQ(::chown(parts.c_str(), 65534, 65534), 0);
    const ScopedEnvironmentVariable cache("XDG_CACHE_HOME", (folder_ / "cache").string());
    const auto result = upscale(source, options());
    EXPECT_TRUE(log_.contains(Stage::preparing,
                              {.kind = ProgressDetail::Kind::partsElsewhere,
                               .name = "nobody",
                               .path = PartFolder::pathIn(folder_ / "cache" / "clarivex" / "parts",
                                                          source, sources() / "clip-2x.mp4"),
                               .partsProblem = ProgressDetail::PartsProblem::othersFolder,
                               .unusable = parts}));
    EXPECT_EQ(probeFile(result.output).frames, 6);
    EXPECT_EQ(readFile(parts / "segment-000000.mp4"), "theirs");
    EXPECT_TRUE(std::filesystem::is_empty(folder_ / "cache" / "clarivex" / "parts"));
}
