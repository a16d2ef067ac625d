#include "core/upscaler.h"

#include "core/output_placement.h"
#include "core/process/shell.h"
#include "core/video/chunk_progress_watcher.h"
#include "core/video/frame_list.h"
#include "core/video/loop_filter.h"
#include "core/video/pipe_encoder.h"
#include "core/video/video_commands.h"
#include "core/video/video_info.h"
#include "core/video/video_space.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace clarivex {

namespace {

using Stage = UpscaleProgress::Stage;
namespace fs = std::filesystem;

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

Shell::LineObserver extractionObserver(const ProgressCallback& report, std::int64_t total) {
    return [report, total](const std::string& line) {
        constexpr std::string_view prefix = "frame=";
        if (!report || !line.starts_with(prefix))
            return;
        const char* first = line.data() + prefix.size();
        const char* last = line.data() + line.size();
        std::int64_t frames = 0;
        const auto [end, error] = std::from_chars(first, last, frames);
        if (first == last || error != std::errc() || end != last)
            return;
        const double share =
            std::min(static_cast<double>(frames) / static_cast<double>(total), 1.0);
        report(UpscaleProgress{Stage::extracting, 0.08 * share,
                               "Кадр " + std::to_string(frames) + " из ~" + std::to_string(total)});
    };
}

// Whole file into `bytes`, reusing its storage from frame to frame.
bool readWholeFile(const fs::path& file, std::string& bytes) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat info {};
    bool complete = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    if (complete) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::read(descriptor, bytes.data() + done, bytes.size() - done);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                complete = false;
                break;
            }
            done += static_cast<std::size_t>(count);
        }
    }
    ::close(descriptor);
    return complete;
}

void removeQuietly(const fs::path& folder) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// The chunks move their frames out of "in", run the engine once per chunk and stream the
// results, in order, into the encoder. Enlarged frames never pile up on disk.
class ChunkRunner {
public:
    ChunkRunner(const Upscaler& upscaler, const Plan& plan, const fs::path& work,
                const ProgressCallback& report, const std::stop_token& stopToken)
        : upscaler_(upscaler)
        , plan_(plan)
        , work_(work)
        , report_(report)
        , stopToken_(stopToken) {}

    void run(const std::vector<std::string>& frames, PipeEncoder& encoder) {
        const std::size_t chunkSize = static_cast<std::size_t>(std::max(upscaler_.chunkSize, 1));
        const auto count = static_cast<std::int64_t>(frames.size());
        std::int64_t doneBefore = 0;
        for (std::size_t start = 0, index = 0; start < frames.size(); start += chunkSize, ++index) {
            const std::size_t end = std::min(start + chunkSize, frames.size());
            const std::vector<std::string> chunk(frames.begin() + static_cast<long>(start),
                                                 frames.begin() + static_cast<long>(end));
            runChunk(chunk, index, doneBefore, count, encoder);
            doneBefore += static_cast<std::int64_t>(chunk.size());
            throwIfStopped(stopToken_);
        }
    }

private:
    void runChunk(const std::vector<std::string>& chunk, std::size_t index, std::int64_t doneBefore,
                  std::int64_t count, PipeEncoder& encoder) {
        // The engine resolves relative paths against its own folder, not ours.
        const fs::path chunkIn = fs::absolute(work_ / ("chunk-in-" + std::to_string(index)));
        const fs::path chunkOut = fs::absolute(work_ / ("chunk-out-" + std::to_string(index)));
        fs::create_directories(chunkIn);
        fs::create_directories(chunkOut);
        for (const std::string& name : chunk)
            fs::rename(work_ / "in" / name, chunkIn / name);

        std::optional<ChunkProgressWatcher> watcher;
        watcher.emplace(chunkOut, report_, doneBefore, count, plan_);
        const Tools& tools = upscaler_.tools;
        Shell::run(
            tools.esrgan,
            VideoCommands::engine(chunkIn, chunkOut, plan_.model, plan_.esrganScale, tools.models),
            {}, stopToken_);
        for (const std::string& name : chunk) {
            if (!readWholeFile(chunkOut / name, frame_))
                throw UpscaleError::failed("ESRGAN пропустил кадр " + name);
            encoder.write(frame_);
        }
        // Stopped before the folders go, so that no report counts an emptied folder.
        watcher.reset();
        removeQuietly(chunkIn);
        removeQuietly(chunkOut);
    }

    const Upscaler& upscaler_;
    const Plan& plan_;
    const fs::path& work_;
    const ProgressCallback& report_;
    const std::stop_token& stopToken_;
    std::string frame_;
};

void encode(const Upscaler& upscaler, const Plan& plan, const VideoInfo& info,
            const std::vector<std::string>& frames, const fs::path& work,
            const ProgressCallback& report, const std::stop_token& stopToken) {
    PipeEncoder encoder(*upscaler.tools.ffmpeg,
                        VideoCommands::encoder(info.frameRate, plan.output, work / "video.mp4"));
    try {
        ChunkRunner(upscaler, plan, work, report, stopToken).run(frames, encoder);
        if (report)
            report(UpscaleProgress{Stage::encoding, 0.93, "H.264, " + plan.output.description()});
        // The encoder may still hold many frames; a stop while it works through them ends it
        // rather than making the user wait for an encode that will be thrown away.
        std::stop_callback stopEncoding(stopToken, [&encoder] { encoder.kill(); });
        encoder.finish();
    } catch (...) {
        encoder.kill();
        throwIfStopped(stopToken);
        throw;
    }
    throwIfStopped(stopToken);
}

void addSound(const fs::path& ffmpeg, const fs::path& video, const fs::path& source,
              const fs::path& finished, const std::stop_token& stopToken) {
    try {
        Shell::run(ffmpeg, VideoCommands::soundCopy(video, source, finished), {}, stopToken);
        return;
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // MP4 cannot hold every sound codec; such sound is re-encoded below.
    }
    throwIfStopped(stopToken);
    Shell::run(ffmpeg, VideoCommands::soundAac(video, source, finished), {}, stopToken);
}

// Loop, sound or nothing. Every pass writes inside the working folder; only a complete file is
// then placed next to the source, so a failing pass never leaves a broken file there.
fs::path finalPass(const fs::path& ffmpeg, const fs::path& source, const fs::path& work,
                   const fs::path& extension, const Options& options, const VideoInfo& info,
                   std::size_t frameCount, const ProgressCallback& report,
                   const std::stop_token& stopToken) {
    const fs::path video = work / "video.mp4";
    const fs::path finished = work / ("finished" + extension.string());
    const double duration = static_cast<double>(frameCount) / info.fps;
    const double fade = LoopFilter::fadeFor(duration, options.loopFade);
    if (options.seamlessLoop && fade >= LoopFilter::shortestFade) {
        if (report)
            report(UpscaleProgress{Stage::looping, 0.95, LoopFilter::seamDetail(fade)});
        Shell::run(ffmpeg,
                   LoopFilter::passArguments(video, LoopFilter::make(duration, fade), finished), {},
                   stopToken);
        return finished;
    }
    // A loop too short for a seam still drops the sound, as a loop would.
    if (!info.hasAudio || options.seamlessLoop)
        return video;
    if (report)
        report(UpscaleProgress{Stage::encoding, 0.97, "Звук"});
    addSound(ffmpeg, video, source, finished, stopToken);
    return finished;
}

} // namespace

Upscaler::Outcome Upscaler::video(const fs::path& source, const fs::path& output,
                                  const Options& options, const fs::path& work,
                                  const ProgressCallback& report, std::stop_token stopToken) const {
    if (!tools.ffmpeg || !tools.ffprobe)
        throw UpscaleError::missingFFmpeg();
    const fs::path& ffmpeg = *tools.ffmpeg;

    const VideoInfo info = VideoInfo::probe(source, *tools.ffprobe, stopToken);
    const Plan plan = Plan::make(info.size, options.target, options.model, MediaKind::video);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(info.size, std::string(title(options.target)));
    requireModelFiles(plan.model, plan.esrganScale);
    requireSpace(freeSpace, work,
                 videoSpaceNeeded(info.size, plan.esrganScale, info.frameEstimate, chunkSize));

    const fs::path in = work / "in";
    fs::create_directories(in);
    Shell::run(ffmpeg, VideoCommands::extraction(source, in),
               extractionObserver(report, std::max<std::int64_t>(info.frameEstimate, 1)),
               stopToken);
    const std::vector<std::string> frames = listFrames(in);
    if (frames.empty())
        throw UpscaleError::failed("ffmpeg не извлёк ни одного кадра");

    encode(*this, plan, info, frames, work, report, stopToken);

    const fs::path finished = finalPass(ffmpeg, source, work, output.extension(), options, info,
                                        frames.size(), report, stopToken);
    throwIfStopped(stopToken);

    // The name chosen at the start may have been taken while the video was being made.
    const fs::path placed = placeWithoutReplacing(
        finished, [&] { return outputName(source, options, MediaKind::video); });
    return Outcome{plan, placed};
}

} // namespace clarivex
