#include "core/video/video_path.h"

#include "core/engine/chunk_progress_watcher.h"
#include "core/engine/network_step.h"
#include "core/files/file_descriptor.h"
#include "core/files/private_files.h"
#include "core/pipeline/job_progress.h"
#include "core/process/shell.h"
#include "core/video/chunk_runs.h"
#include "core/video/encoder_feed.h"
#include "core/video/final_pass.h"
#include "core/video/frame_extractor.h"
#include "core/video/part_folder.h"
#include "core/video/video_commands.h"
#include "core/video/video_info.h"
#include "core/video/video_space.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>

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
    std::int64_t frameEstimate() const { return std::max<std::int64_t>(info.frameEstimate, 1); }
    std::int64_t segmentFrames() const {
        const double frames = std::round(info.fps * job.segmentSeconds);
        return std::isfinite(frames) ? std::clamp<std::int64_t>(std::llround(frames), 1, 1 << 20)
                                     : 1;
    }
};

// The part folder's identity: the source, and every setting that changes the pictures of a
// segment, the commands that make them included, so that a changed program never joins its
// segments to those of another.
PartManifest::Identity identityOf(const Video& video) {
    const UpscaleJob& job = video.job;
    const auto joined = [](const std::vector<std::string>& arguments) {
        std::string text;
        for (const std::string& argument : arguments)
            text += argument + '\n';
        return text;
    };
    return {PartManifest::Source::of(job.source),
            video.info.frameRate,
            {{"model", video.plan.model},
             {"scale", std::to_string(video.plan.esrganScale)},
             {"colours", VideoCommands::readColours(video.info.colour)},
             {"encoder", joined(VideoCommands::encoder(video.info.frameRate, video.plan.output,
                                                       "segment.mp4"))},
             {"segmentFrames", std::to_string(video.segmentFrames())}}};
}

// Tone mapping changes how the picture looks, so the user is told while it happens.
ProgressDetail withColourNote(const Video& video, ProgressDetail detail) {
    detail.hdr = video.info.colour.hdr();
    return detail;
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

// How many frames the video has, as far as is known now.
std::int64_t totalFrames(const Video& video, const FrameExtractor& extractor) {
    const auto count = extractor.count();
    return count.complete ? count.frames : std::max(video.frameEstimate(), count.frames);
}

// The frames the network has finished over the whole video, those of earlier runs included,
// summed over the chunks in the network at once: each chunk's engine writes its own folder,
// and a count per chunk would jump ahead to the later chunk's first frame as soon as its engine
// starts. Safe to use from any thread.
class FramesThroughNetwork {
public:
    explicit FramesThroughNetwork(std::int64_t before)
        : before_(before) {}

    // Returns the frames finished now, with `written` of this chunk's.
    std::int64_t update(const VideoChunk& chunk, std::int64_t written) {
        const std::lock_guard guard(lock_);
        written_[chunk.index] = std::min(written, static_cast<std::int64_t>(chunk.frames.size()));
        std::int64_t done = before_;
        for (const auto& [index, frames] : written_)
            done += frames;
        return done;
    }

private:
    std::mutex lock_;
    const std::int64_t before_;
    std::map<std::int64_t, std::int64_t> written_;
};

// Runs the network over one chunk and checks that it made every frame. Reports the frames the
// network has finished over the whole video: "Кадр 110 из 240 · realesr-animevideov3 ×2".
void upscaleChunk(const Video& video, const VideoChunk& chunk, const FrameExtractor& extractor,
                  FramesThroughNetwork& through, const std::function<void()>& computing,
                  std::stop_token stopToken) {
    const auto size = static_cast<std::int64_t>(chunk.frames.size());
    const auto report = [&](std::int64_t written) {
        if (written > 0)
            computing();
        const std::int64_t total = totalFrames(video, extractor);
        const std::int64_t done = through.update(chunk, written);
        ProgressDetail detail =
            NetworkStep::modelDetail(ProgressDetail::Kind::frames, video.job, video.plan);
        detail.done = done;
        detail.total = total;
        video.job.report(JobProgress::at(
            Step::upscaling, static_cast<double>(done) / static_cast<double>(total), detail));
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
            throw UpscaleError::frameSkipped(name);
    }
    report(size);
}

// Extraction, network and encoder at once, each on its own thread, the network's on this one,
// from the first frame no finished segment holds. Returns how many frames the video has.
std::int64_t streamFrames(const Video& video, PartFolder& parts) {
    const UpscaleJob& job = video.job;
    // Stopped by the user and by the first failure of any side, so that the others end at once.
    FirstFailure failures;
    const std::stop_callback forward(job.stopToken, [&failures] { failures.requestStop(); });
    const std::int64_t done = parts.framesDone();
    // Continuing, the resume line stays while the frames done before are skipped.
    std::atomic<bool> quiet = done > 0;

    EncoderFeed feed({video.ffmpeg(),
                      [&video](const fs::path& file) {
                          return VideoCommands::encoder(video.info.frameRate, video.plan.output,
                                                        file);
                      },
                      video.segmentFrames()},
                     parts, failures);
    const std::int64_t firstChunk = std::min<std::int64_t>(video.chunkSize, video.frameEstimate());
    FrameExtractor extractor(
        {video.ffmpeg(),
         VideoCommands::extraction(job.source, video.info.frameRate, video.info.colour, done),
         job.work, video.chunkSize, largestFrame(video.info.size), done},
        [&](std::int64_t frames) {
            if (!quiet)
                job.report(JobProgress::at(
                    Step::extracting, static_cast<double>(frames) / static_cast<double>(firstChunk),
                    withColourNote(video, {.kind = ProgressDetail::Kind::extracted,
                                           .done = frames,
                                           .total = video.frameEstimate(),
                                           .estimated = true})));
        },
        failures);
    FramesThroughNetwork through(done);
    try {
        ChunkRuns runs(
            [&](const VideoChunk& chunk, const std::function<void()>& computing,
                std::stop_token stopToken) {
                upscaleChunk(video, chunk, extractor, through, computing, std::move(stopToken));
            },
            failures.stopToken());
        while (auto chunk = extractor.next(failures.stopToken())) {
            quiet = true;
            if (runs.running() == chunksInNetwork)
                feed.push(runs.finishOldest(), failures.stopToken());
            runs.waitUntilComputing(failures.stopToken());
            runs.start(std::move(*chunk));
        }
        while (runs.running() > 0)
            feed.push(runs.finishOldest(), failures.stopToken());
        job.report(JobProgress::at(Step::encoding, 0,
                                   withColourNote(video, {.kind = ProgressDetail::Kind::encoding,
                                                          .size = video.plan.output})));
        feed.finish(failures.stopToken());
        return extractor.count().frames;
    } catch (...) {
        // The user's stop wins; otherwise the side that failed first tells why, not the
        // others that it stopped.
        job.throwIfStopped();
        failures.record(std::current_exception());
        feed.salvage(job.stopToken);
        std::rethrow_exception(failures.first());
    }
}

// Everything from the first frame no finished segment holds to the finished file in the part
// folder, which is then placed next to the source.
fs::path finish(const Video& video, PartFolder& parts) {
    const UpscaleJob& job = video.job;
    const std::int64_t done = parts.framesDone();
    const std::int64_t estimate = std::max(video.frameEstimate(), done);
    job.requireSpace(temporarySpaceNeeded(video.info.size, video.plan.esrganScale, video.chunkSize),
                     parts.path().parent_path(),
                     destinationSpaceNeeded(video.plan.output, estimate, estimate - done));
    if (done > 0)
        job.report(JobProgress::at(
            Step::upscaling, static_cast<double>(done) / static_cast<double>(estimate),
            {.kind = ProgressDetail::Kind::resumed, .done = done, .total = estimate}));
    const std::int64_t frames = streamFrames(video, parts);
    const std::string finishedName = "result.mp4";
    FinalPass::run(job, video.info, parts.joinList(), frames,
                   parts.folder().reachablePath() / finishedName);
    job.throwIfStopped();
    const FileDescriptor finished(::openat(parts.folder().descriptor(), finishedName.c_str(),
                                           O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!finished.isOpen()) {
        const int error = errno;
        throw UpscaleError::operationFailed(UpscaleError::Operation::open,
                                            parts.path() / finishedName, error);
    }
    // The name chosen at the start may have been taken while the video was being made.
    return job.placeResult({parts.folder(), finishedName, finished.get()}, MediaKind::video);
}

// Whether a kept segment holds what its manifest says: a manifest edited by hand, or a file
// put in its place, would join missing, doubled or foreign frames to the result. One ffprobe
// that counts packets without decoding: "1920,1080,30/1,48".
PartFolder::SegmentCheck segmentCheck(const Video& video) {
    return [&video](const fs::path& file, const PartManifest::Segment& segment) {
        std::string answer;
        try {
            answer =
                Shell::run(*video.job.tools.ffprobe,
                           {"-v", "error", "-count_packets", "-select_streams", "v:0",
                            "-show_entries", "stream=width,height,r_frame_rate,nb_read_packets",
                            "-of", "csv=p=0", file.string()},
                           {}, video.job.stopToken);
        } catch (const UpscaleError&) {
            return false;
        }
        const Size size = video.plan.output;
        const std::string expected =
            std::to_string(size.width) + "," + std::to_string(size.height) + ",";
        if (!answer.starts_with(expected))
            return false;
        const std::string rest = answer.substr(expected.size());
        const auto comma = rest.find(',');
        if (comma == std::string::npos)
            return false;
        const double rate = VideoInfo::rate(rest.substr(0, comma));
        const double wanted = video.info.fps;
        std::int64_t packets = -1;
        const std::string count = rest.substr(comma + 1);
        std::from_chars(count.data(), count.data() + count.size(), packets);
        return std::abs(rate - wanted) <= 1e-6 * wanted && packets == segment.frames;
    };
}

// The user's own folder for part folders whose place beside the result cannot be private.
fs::path privatePartsPlace() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const auto home = Tools::Environment::current().home;
    fs::path place;
    if (cache != nullptr && fs::path(cache).is_absolute())
        place = fs::path(cache) / "clarivex";
    else if (home && !home->empty())
        place = *home / ".cache" / "clarivex";
    else
        throw UpscaleError::noHome();
    std::error_code error;
    fs::create_directories(place.parent_path(), error);
    for (const fs::path& folder : {place, place / "parts"})
        if (!error)
            error = PrivateFiles::ensureFolder(folder);
    if (error)
        throw UpscaleError::operationFailed(UpscaleError::Operation::createFolder, place, error);
    return place / "parts";
}

// The part folder beside the result; where that place cannot hold a private one of ours, the
// same job's folder in the user's own place, which a later run finds just as well.
std::unique_ptr<PartFolder> openParts(const Video& video, const fs::path& plainOutput) {
    const UpscaleJob& job = video.job;
    const PartManifest::Identity identity = identityOf(video);
    try {
        return std::make_unique<PartFolder>(PartFolder::pathFor(job.source, plainOutput), identity,
                                            segmentCheck(video));
    } catch (const PartFolder::Unusable& unusable) {
        const fs::path elsewhere = PartFolder::pathIn(privatePartsPlace(), job.source, plainOutput);
        job.report(JobProgress::at(Step::preparing, 0,
                                   {.kind = ProgressDetail::Kind::partsElsewhere,
                                    .name = unusable.owner(),
                                    .path = elsewhere,
                                    .partsProblem = unusable.problem(),
                                    .unusable = unusable.place()}));
        return std::make_unique<PartFolder>(elsewhere, identity, segmentCheck(video));
    }
}

// Whether a failure's facts (a program's error lines, the system's reason) say a disk is full.
bool saysDiskFull(const UpscaleError& error) {
    constexpr std::string_view full = "No space left on device";
    return error.text().find(full) != std::string::npos ||
           error.errorLines().find(full) != std::string::npos ||
           error.reason().find(full) != std::string::npos;
}

// A write that failed because a disk is full says where, and what was kept, in the user's words
// rather than the encoder's.
std::exception_ptr explainedFailure(const Video& video, const PartFolder& parts,
                                    std::exception_ptr failure) {
    if (!saysDiskFull(UpscaleError::from(failure)))
        return failure;
    const UpscaleJob& job = video.job;
    const FreeSpaceQuery& query = job.freeSpace ? job.freeSpace : FreeSpaceQuery(availableSpace);
    const auto beside = query(parts.path().parent_path());
    const auto temporary = query(job.work);
    const bool besideShort = !temporary || (beside && beside->available <= temporary->available);
    const std::int64_t estimate = std::max(video.frameEstimate(), parts.framesDone());
    const std::int64_t needed =
        besideShort
            ? destinationSpaceNeeded(video.plan.output, estimate, estimate - parts.framesDone())
            : temporarySpaceNeeded(video.info.size, video.plan.esrganScale, video.chunkSize);
    const auto& shortOne = besideShort ? beside : temporary;
    UpscaleError error = UpscaleError::lowDisk(
        needed, shortOne ? shortOne->available : 0,
        besideShort ? UpscaleError::Place::destination : UpscaleError::Place::temporary,
        besideShort ? parts.path().parent_path() : job.work.parent_path());
    error.addKept(parts.kept(video.frameEstimate()));
    return std::make_exception_ptr(error);
}

VideoInfo probed(const UpscaleJob& job) {
    if (!job.tools.ffmpeg || !job.tools.ffprobe)
        throw UpscaleError::missingFFmpeg();
    return VideoInfo::probe(job.source, *job.tools.ffprobe, job.stopToken);
}

Plan planFor(const UpscaleJob& job, const VideoInfo& info) {
    const Options& options = job.options;
    const Plan plan = Plan::make(info.size, options.target,
                                 job.tools.installedModels().pick(options.model, MediaKind::video),
                                 MediaKind::video);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(info.size, std::string(title(options.target)));
    return plan;
}

} // namespace

Plan plan(const UpscaleJob& job) {
    return planFor(job, probed(job));
}

PathOutcome run(const UpscaleJob& job) {
    const Options& options = job.options;
    const VideoInfo info = probed(job);
    const Plan plan = planFor(job, info);
    const Video video{job, info, plan, std::max(job.chunkSize, 1)};

    // Named after the result's plain name, so that every run of the same job finds it, whatever
    // number a taken name makes the result carry.
    const fs::path plainOutput =
        Naming::output(job.source, options.target, MediaKind::video, options.seamlessLoop,
                       [](const fs::path&) { return false; });
    const std::unique_ptr<PartFolder> parts = openParts(video, plainOutput);
    try {
        const fs::path placed = finish(video, *parts);
        parts->discard();
        return PathOutcome{plan, placed};
    } catch (...) {
        // The user's own stop discards everything; any other end keeps the finished segments
        // for the next run of the same job.
        if (job.stopToken.stop_requested() && !job.keepsParts()) {
            parts->discard();
            throw;
        }
        parts->keepFinished();
        if (!job.stopToken.stop_requested())
            std::rethrow_exception(explainedFailure(video, *parts, std::current_exception()));
        throw Cancelled(parts->kept(video.frameEstimate()));
    }
}

} // namespace clarivex::VideoPath
