#include "core/video/video_path.h"

#include "core/job_progress.h"
#include "core/network_step.h"
#include "core/process/shell.h"
#include "core/video/chunk_progress_watcher.h"
#include "core/video/encoder_feed.h"
#include "core/video/frame_extractor.h"
#include "core/video/loop_filter.h"
#include "core/video/video_commands.h"
#include "core/video/video_info.h"
#include "core/video/video_space.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

namespace clarivex::VideoPath {

namespace {

namespace fs = std::filesystem;
using JobProgress::Step;

// The job with what the probe and the plan found, which every step of the video works with.
struct Video {
    const UpscaleJob& job;
    VideoInfo info;
    Plan plan;
    int chunkSize;

    const fs::path& ffmpeg() const { return *job.tools.ffmpeg; }
    // The silent encode the frames stream into.
    fs::path encoded() const { return job.work / "video.mp4"; }
    std::int64_t frameEstimate() const { return std::max<std::int64_t>(info.frameEstimate, 1); }
};

void requireSpace(const UpscaleJob& job, std::int64_t needed) {
    const std::optional<std::int64_t> free =
        job.freeSpace ? job.freeSpace(job.work) : availableSpace(job.work);
    if (free && *free < needed)
        throw UpscaleError::lowDisk(needed, *free);
}

// Tone mapping changes how the picture looks, so the user is told while it happens.
std::string withColourNote(const Video& video, std::string detail) {
    return video.info.colour.hdr() ? detail + " · HDR → SDR" : detail;
}

// A PNG of RGB pixels is at most a little larger than the pixels themselves.
std::size_t largestFrame(Size size) {
    constexpr std::int64_t slack = 1 << 20;
    std::int64_t bytes = 0;
    if (__builtin_mul_overflow(size.width, size.height, &bytes) ||
        __builtin_mul_overflow(bytes, 4, &bytes) || __builtin_add_overflow(bytes, slack, &bytes))
        return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(bytes);
}

std::string approximately(std::int64_t count, bool exact) {
    return (exact ? "" : "~") + std::to_string(count);
}

// How far the network has come: frames `first`+1 to `last` of the chunk it works on, of
// `total` frames (an estimate, shown with "~", until the extraction has ended), e.g.
// "Кадры 97–144 из ~240 · пачка 3 из ~5 · realesr-animevideov3 ×2".
std::string chunkDetail(std::int64_t first, std::int64_t last, std::int64_t total,
                        bool totalIsExact, std::int64_t chunkIndex, int chunkSize,
                        const Plan& plan) {
    const std::int64_t size = std::max(chunkSize, 1);
    const std::int64_t chunks = std::max<std::int64_t>((total + size - 1) / size, chunkIndex + 1);
    return "Кадры " + std::to_string(first + 1) + "–" + std::to_string(last) + " из " +
           approximately(total, totalIsExact) + " · пачка " + std::to_string(chunkIndex + 1) +
           " из " + approximately(chunks, totalIsExact) + " · " + plan.model + " ×" +
           std::to_string(plan.esrganScale);
}

// Runs the network over one chunk and checks that it made every frame.
void upscaleChunk(const Video& video, const VideoChunk& chunk, const FrameExtractor& extractor,
                  std::stop_token stopToken) {
    const auto size = static_cast<std::int64_t>(chunk.frames.size());
    const auto report = [&](std::int64_t written) {
        const auto count = extractor.count();
        const std::int64_t total =
            count.complete ? count.frames : std::max(video.frameEstimate(), count.frames);
        const std::int64_t done = chunk.firstFrame + std::min(written, size);
        video.job.report(
            JobProgress::at(Step::upscaling, static_cast<double>(done) / static_cast<double>(total),
                            chunkDetail(chunk.firstFrame, chunk.firstFrame + size, total,
                                        count.complete, chunk.index, video.chunkSize, video.plan)));
    };
    fs::create_directories(chunk.out);
    {
        const ChunkProgressWatcher watcher(chunk.out, report);
        NetworkStep::run(video.job, video.plan, chunk.in, chunk.out, {}, stopToken);
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
std::int64_t streamFrames(const Video& video) {
    const UpscaleJob& job = video.job;
    // Stopped by the user and by the first failure of any side, so that the others end at once.
    FirstFailure failures;
    const std::stop_callback forward(job.stopToken, [&failures] { failures.requestStop(); });
    std::atomic<bool> upscaling = false;

    EncoderFeed feed(
        video.ffmpeg(),
        VideoCommands::encoder(video.info.frameRate, video.plan.output, video.encoded()), failures);
    const std::int64_t firstChunk = std::min<std::int64_t>(video.chunkSize, video.frameEstimate());
    FrameExtractor extractor(
        {video.ffmpeg(),
         VideoCommands::extraction(job.source, video.info.frameRate, video.info.colour), job.work,
         video.chunkSize, largestFrame(video.info.size)},
        [&](std::int64_t frames) {
            if (!upscaling)
                job.report(JobProgress::at(
                    Step::extracting, static_cast<double>(frames) / static_cast<double>(firstChunk),
                    withColourNote(video, "Кадр " + std::to_string(frames) + " из ~" +
                                              std::to_string(video.frameEstimate()))));
        },
        failures);
    try {
        while (auto chunk = extractor.next(failures.stopToken())) {
            upscaling = true;
            upscaleChunk(video, *chunk, extractor, failures.stopToken());
            feed.push(std::move(*chunk), failures.stopToken());
        }
        job.report(JobProgress::at(
            Step::encoding, 0, withColourNote(video, "H.264, " + video.plan.output.description())));
        feed.finish(failures.stopToken());
        return extractor.count().frames;
    } catch (...) {
        // The user's stop wins; otherwise the side that failed first tells why, not the
        // others that it stopped.
        job.throwIfStopped();
        failures.record(std::current_exception());
        std::rethrow_exception(failures.first());
    }
}

void addSound(const Video& video, const fs::path& finished) {
    const UpscaleJob& job = video.job;
    try {
        Shell::run(video.ffmpeg(), VideoCommands::soundCopy(video.encoded(), job.source, finished),
                   {}, job.stopToken);
        return;
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // MP4 cannot hold every sound codec; such sound is re-encoded below.
    }
    job.throwIfStopped();
    Shell::run(video.ffmpeg(), VideoCommands::soundAac(video.encoded(), job.source, finished), {},
               job.stopToken);
}

// Loop, sound or nothing. Every pass writes inside the working folder; only a complete file is
// then placed next to the source, so a failing pass never leaves a broken file there.
fs::path finalPass(const Video& video, std::int64_t frameCount) {
    const UpscaleJob& job = video.job;
    const Options& options = job.options;
    const fs::path finished = job.work / ("finished" + job.output.extension().string());
    const double duration = static_cast<double>(frameCount) / video.info.fps;
    const double fade = LoopFilter::fadeFor(duration, options.loopFade);
    if (options.seamlessLoop && fade >= LoopFilter::shortestFade) {
        job.report(JobProgress::at(Step::looping, 0, LoopFilter::seamDetail(fade)));
        Shell::run(video.ffmpeg(),
                   VideoCommands::loop(video.encoded(), LoopFilter::make(duration, fade), finished),
                   {}, job.stopToken);
        return finished;
    }
    // A loop too short for a seam still drops the sound, as a loop would.
    if (!video.info.hasAudio || options.seamlessLoop)
        return video.encoded();
    job.report(JobProgress::at(Step::sound, 0, "Звук"));
    addSound(video, finished);
    return finished;
}

} // namespace

PathOutcome run(const UpscaleJob& job) {
    const Tools& tools = job.tools;
    if (!tools.ffmpeg || !tools.ffprobe)
        throw UpscaleError::missingFFmpeg();

    const Options& options = job.options;
    const VideoInfo info = VideoInfo::probe(job.source, *tools.ffprobe, job.stopToken);
    const Plan plan = Plan::make(info.size, options.target, options.model, MediaKind::video);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(info.size, std::string(title(options.target)));
    tools.requireModel(plan.model, plan.esrganScale);
    const Video video{job, info, plan, std::max(job.chunkSize, 1)};
    const bool finalPassCopies = options.seamlessLoop || info.hasAudio;
    requireSpace(job, videoSpaceNeeded(info.size, plan.esrganScale, plan.output, info.frameEstimate,
                                       video.chunkSize, finalPassCopies));

    const std::int64_t frames = streamFrames(video);
    const fs::path finished = finalPass(video, frames);
    job.throwIfStopped();
    // The name chosen at the start may have been taken while the video was being made.
    return PathOutcome{plan, job.placeResult(finished, MediaKind::video)};
}

} // namespace clarivex::VideoPath
