#include "core/video/final_pass.h"

#include "core/pipeline/job_progress.h"
#include "core/process/shell.h"
#include "core/video/loop_filter.h"
#include "core/video/track_choice.h"
#include "core/video/video_commands.h"

namespace clarivex::FinalPass {

namespace {

using JobProgress::Step;

void join(const UpscaleJob& job, const VideoInfo& info, const TrackChoice& choice,
          const std::filesystem::path& segments, VideoCommands::Carry carry,
          const std::filesystem::path& output) {
    Shell::run(*job.tools.ffmpeg,
               VideoCommands::join(segments, job.source, info, choice, carry, output), {},
               job.stopToken);
}

} // namespace

void run(const UpscaleJob& job, const VideoInfo& info, const std::filesystem::path& segments,
         std::int64_t frames, const std::filesystem::path& output) {
    const Options& options = job.options;
    const double duration = static_cast<double>(frames) / info.fps;
    const double fade = LoopFilter::fadeFor(duration, options.loopFade);
    if (options.seamlessLoop && fade >= LoopFilter::shortestFade) {
        job.report(
            JobProgress::at(Step::looping, 0, {.kind = ProgressDetail::Kind::seam, .value = fade}));
        Shell::run(*job.tools.ffmpeg,
                   VideoCommands::loop(segments, LoopFilter::make(duration, fade), output), {},
                   job.stopToken);
        return;
    }
    // A loop too short for a seam still drops the sound, as a loop would.
    if (options.seamlessLoop) {
        job.report(JobProgress::at(Step::joining, 0, {.kind = ProgressDetail::Kind::joining}));
        join(job, info, {}, segments, VideoCommands::Carry::nothing, output);
        return;
    }
    if (!info.audio.empty() || !info.subtitles.empty())
        job.report(
            JobProgress::at(Step::joining, 0, {.kind = ProgressDetail::Kind::checkingTracks}));
    const TrackChoice choice = TrackChoice::make(info, TrackSurvey::take(job, info));
    job.report(JobProgress::at(Step::joining, 0,
                               {.kind = ProgressDetail::Kind::joining, .tracks = choice.note()}));
    try {
        join(job, info, choice, segments, VideoCommands::Carry::everything, output);
        return;
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // A codec MP4 was thought to hold may still be refused; every sound is then AAC.
        if (choice.audio.empty())
            throw;
    }
    job.throwIfStopped();
    join(job, info, choice, segments, VideoCommands::Carry::everythingAsAac, output);
}

} // namespace clarivex::FinalPass
