#include "core/video/video_path.h"

#include "core/output_placement.h"
#include "core/process/shell.h"
#include "core/video/chunk_progress_watcher.h"
#include "core/video/encoder_feed.h"
#include "core/video/frame_extractor.h"
#include "core/video/loop_filter.h"
#include "core/video/video_commands.h"
#include "core/video/video_info.h"
#include "core/video/video_progress.h"
#include "core/video/video_space.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

namespace clarivex::VideoPath {

namespace {

namespace fs = std::filesystem;
using Step = VideoProgress::Step;

// What every step of one video job works with.
struct VideoJob {
    const Tools& tools;
    const fs::path& source;
    VideoInfo info;
    Plan plan;
    fs::path work;
    int chunkSize;
    ProgressCallback report;
    std::stop_token stopToken;

    const fs::path& ffmpeg() const { return *tools.ffmpeg; }
    fs::path video() const { return work / "video.mp4"; }
    std::int64_t frameEstimate() const { return std::max<std::int64_t>(info.frameEstimate, 1); }
};

void throwIfStopped(const std::stop_token& stopToken) {
    if (stopToken.stop_requested())
        throw Cancelled();
}

void requireSpace(const Upscaler::FreeSpaceQuery& freeSpace, const fs::path& work,
                  std::int64_t needed) {
    const std::optional<std::int64_t> free = freeSpace ? freeSpace(work) : availableSpace(work);
    if (free && *free < needed)
        throw UpscaleError::lowDisk(needed, *free);
}

// Tone mapping changes how the picture looks, so the user is told while it happens.
std::string withColourNote(const VideoJob& job, std::string detail) {
    return job.info.colour.hdr() ? detail + " · HDR → SDR" : detail;
}

// A PNG of RGB pixels is at most a little larger than the pixels themselves.
std::size_t largestFrame(Size size) {
    constexpr std::int64_t slack = 1 << 20;
    std::int64_t bytes = 0;
    if (__builtin_mul_overflow(size.width, size.height * 4, &bytes) ||
        __builtin_add_overflow(bytes, slack, &bytes))
        return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(bytes);
}

// Runs the network over one chunk and checks that it made every frame.
void upscaleChunk(const VideoJob& job, const VideoChunk& chunk, const FrameExtractor& extractor,
                  std::stop_token stopToken) {
    const auto size = static_cast<std::int64_t>(chunk.frames.size());
    const auto report = [&](std::int64_t written) {
        const auto count = extractor.count();
        const std::int64_t total =
            count.complete ? count.frames : std::max(job.frameEstimate(), count.frames);
        const std::int64_t done = chunk.firstFrame + std::min(written, size);
        job.report(VideoProgress::at(
            Step::upscaling, static_cast<double>(done) / static_cast<double>(total),
            VideoProgress::chunkDetail(chunk.firstFrame, chunk.firstFrame + size, total,
                                       count.complete, chunk.index, job.chunkSize, job.plan)));
    };
    fs::create_directories(chunk.out);
    {
        const ChunkProgressWatcher watcher(chunk.out, report);
        Shell::run(job.tools.esrgan,
                   VideoCommands::engine(chunk.in, chunk.out, job.plan.model, job.plan.esrganScale,
                                         job.tools.models),
                   {}, stopToken);
    }
    std::error_code ignored;
    fs::remove_all(chunk.in, ignored);
    for (const std::string& name : chunk.frames) {
        if (!fs::is_regular_file(chunk.out / name, ignored))
            throw UpscaleError::failed("ESRGAN пропустил кадр " + name);
    }
    report(size);
}

// Extraction, network and encoder at once, each on its own thread, the network's on this one.
// Returns how many frames were encoded.
std::int64_t streamFrames(const VideoJob& job) {
    // Stopped by the user and by the failure of any side, so that the others end at once.
    std::stop_source abort;
    const std::stop_callback forward(job.stopToken, [&abort] { abort.request_stop(); });
    const auto onFailure = [&abort] { abort.request_stop(); };
    std::atomic<bool> upscaling = false;

    EncoderFeed feed(job.ffmpeg(),
                     VideoCommands::encoder(job.info.frameRate, job.plan.output, job.video()),
                     onFailure);
    const std::int64_t firstChunk = std::min<std::int64_t>(job.chunkSize, job.frameEstimate());
    FrameExtractor extractor(
        {job.ffmpeg(), VideoCommands::extraction(job.source, job.info.frameRate, job.info.colour),
         job.work, job.chunkSize, largestFrame(job.info.size)},
        [&](std::int64_t frames) {
            if (!upscaling)
                job.report(VideoProgress::at(
                    Step::extracting, static_cast<double>(frames) / static_cast<double>(firstChunk),
                    withColourNote(job, "Кадр " + std::to_string(frames) + " из ~" +
                                            std::to_string(job.frameEstimate()))));
        },
        onFailure);
    try {
        while (auto chunk = extractor.next(abort.get_token())) {
            upscaling = true;
            upscaleChunk(job, *chunk, extractor, abort.get_token());
            feed.push(std::move(*chunk), abort.get_token());
        }
        job.report(VideoProgress::at(
            Step::encoding, 0, withColourNote(job, "H.264, " + job.plan.output.description())));
        feed.finish(abort.get_token());
        return extractor.count().frames;
    } catch (...) {
        // The user's stop wins; otherwise the side that failed first tells why, not the
        // others that it stopped.
        throwIfStopped(job.stopToken);
        if (const auto failure = extractor.failure())
            std::rethrow_exception(failure);
        if (const auto failure = feed.failure())
            std::rethrow_exception(failure);
        throw;
    }
}

void addSound(const VideoJob& job, const fs::path& finished) {
    try {
        Shell::run(job.ffmpeg(), VideoCommands::soundCopy(job.video(), job.source, finished), {},
                   job.stopToken);
        return;
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // MP4 cannot hold every sound codec; such sound is re-encoded below.
    }
    throwIfStopped(job.stopToken);
    Shell::run(job.ffmpeg(), VideoCommands::soundAac(job.video(), job.source, finished), {},
               job.stopToken);
}

// Loop, sound or nothing. Every pass writes inside the working folder; only a complete file is
// then placed next to the source, so a failing pass never leaves a broken file there.
fs::path finalPass(const VideoJob& job, const Options& options, const fs::path& extension,
                   std::int64_t frameCount) {
    const fs::path finished = job.work / ("finished" + extension.string());
    const double duration = static_cast<double>(frameCount) / job.info.fps;
    const double fade = LoopFilter::fadeFor(duration, options.loopFade);
    if (options.seamlessLoop && fade >= LoopFilter::shortestFade) {
        job.report(VideoProgress::at(Step::looping, 0, LoopFilter::seamDetail(fade)));
        Shell::run(
            job.ffmpeg(),
            LoopFilter::passArguments(job.video(), LoopFilter::make(duration, fade), finished), {},
            job.stopToken);
        return finished;
    }
    // A loop too short for a seam still drops the sound, as a loop would.
    if (!job.info.hasAudio || options.seamlessLoop)
        return job.video();
    job.report(VideoProgress::at(Step::sound, 0, "Звук"));
    addSound(job, finished);
    return finished;
}

} // namespace

Upscaler::Outcome run(const Upscaler& upscaler, const fs::path& source, const fs::path& output,
                      const Options& options, const fs::path& work, const ProgressCallback& report,
                      std::stop_token stopToken) {
    const Tools& tools = upscaler.tools;
    if (!tools.ffmpeg || !tools.ffprobe)
        throw UpscaleError::missingFFmpeg();

    const VideoInfo info = VideoInfo::probe(source, *tools.ffprobe, stopToken);
    const Plan plan = Plan::make(info.size, options.target, options.model, MediaKind::video);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(info.size, std::string(title(options.target)));
    upscaler.requireModelFiles(plan.model, plan.esrganScale);
    const int chunkSize = std::max(upscaler.chunkSize, 1);
    const bool finalPassCopies = options.seamlessLoop || info.hasAudio;
    requireSpace(upscaler.freeSpace, work,
                 videoSpaceNeeded(info.size, plan.esrganScale, plan.output, info.frameEstimate,
                                  chunkSize, finalPassCopies));

    VideoProgress::Monotonic monotonic(report);
    const VideoJob job{tools, source, info, plan, work, chunkSize, std::ref(monotonic), stopToken};
    const std::int64_t frames = streamFrames(job);
    const fs::path finished = finalPass(job, options, output.extension(), frames);
    throwIfStopped(stopToken);

    // The name chosen at the start may have been taken while the video was being made.
    const fs::path placed = placeWithoutReplacing(
        finished, [&] { return Upscaler::outputName(source, options, MediaKind::video); });
    return Upscaler::Outcome{plan, placed};
}

} // namespace clarivex::VideoPath
