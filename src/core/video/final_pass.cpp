#include "core/video/final_pass.h"

#include "core/job_progress.h"
#include "core/process/shell.h"
#include "core/video/loop_filter.h"
#include "core/video/video_commands.h"

#include <algorithm>

namespace clarivex::FinalPass {

namespace {

using JobProgress::Step;

std::string tracks(std::size_t count) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    return std::to_string(count) + (few ? " дорожки" : " дорожек");
}

void join(const UpscaleJob& job, const VideoInfo& info, const std::filesystem::path& segments,
          VideoCommands::Carry carry, const std::filesystem::path& output) {
    Shell::run(*job.tools.ffmpeg, VideoCommands::join(segments, job.source, info, carry, output),
               {}, job.stopToken);
}

} // namespace

std::string detail(const VideoInfo& info) {
    std::string text = info.audio.empty()       ? "Склейка частей"
                       : info.audio.size() == 1 ? "Звук"
                                                : "Звук: " + tracks(info.audio.size());
    const auto textSubtitles =
        std::count_if(info.subtitles.begin(), info.subtitles.end(),
                      [](const auto& track) { return track.isTextSubtitle(); });
    if (textSubtitles > 0)
        text += " · субтитры";
    if (static_cast<std::size_t>(textSubtitles) < info.subtitles.size())
        text += " · субтитры-картинки пропущены: MP4 их не хранит";
    return text;
}

void run(const UpscaleJob& job, const VideoInfo& info, const std::filesystem::path& segments,
         std::int64_t frames, const std::filesystem::path& output) {
    const Options& options = job.options;
    const double duration = static_cast<double>(frames) / info.fps;
    const double fade = LoopFilter::fadeFor(duration, options.loopFade);
    if (options.seamlessLoop && fade >= LoopFilter::shortestFade) {
        job.report(JobProgress::at(Step::looping, 0, LoopFilter::seamDetail(fade)));
        Shell::run(*job.tools.ffmpeg,
                   VideoCommands::loop(segments, LoopFilter::make(duration, fade), output), {},
                   job.stopToken);
        return;
    }
    // A loop too short for a seam still drops the sound, as a loop would.
    if (options.seamlessLoop) {
        job.report(JobProgress::at(Step::joining, 0, "Склейка частей"));
        join(job, info, segments, VideoCommands::Carry::nothing, output);
        return;
    }
    job.report(JobProgress::at(Step::joining, 0, detail(info)));
    try {
        join(job, info, segments, VideoCommands::Carry::everything, output);
        return;
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // A codec MP4 was thought to hold may still be refused; every sound is then AAC.
        if (info.audio.empty())
            throw;
    }
    job.throwIfStopped();
    join(job, info, segments, VideoCommands::Carry::everythingAsAac, output);
}

} // namespace clarivex::FinalPass
