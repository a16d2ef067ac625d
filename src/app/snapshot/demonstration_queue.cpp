#include "app/snapshot/demonstration_queue.h"

#include "app/queue/job_queue.h"
#include "core/preview/preview_decoder.h"

#include <chrono>
#include <filesystem>
#include <vector>

namespace clarivex::DemonstrationQueue {

namespace {

std::filesystem::path pathOf(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

void fillRunning(JobQueue& queue, const QStringList& files) {
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files)
        paths.push_back(pathOf(file));
    const QList<Job*> jobs = queue.add(paths, false);
    if (jobs.isEmpty())
        return;

    Job* running = jobs[0];
    running->setStatus(
        JobStatus::running(UpscaleProgress{UpscaleProgress::Stage::upscaling, 0.46,
                                           ProgressDetail{.kind = ProgressDetail::Kind::frames,
                                                          .model = "realesr-animevideov3",
                                                          .scale = 3,
                                                          .done = 110,
                                                          .total = 240}}));
    running->setStartedAt(Job::Clock::now() - std::chrono::seconds(20));
    queue.setSelectedID(running->id());

    if (jobs.size() < 3)
        return;
    // A folder among the arguments can make the third job come from another file than the
    // third argument: the result names the job's own file.
    Job* finished = jobs[2];
    finished->setStatus(JobStatus::done(
        UpscaleResult{finished->url(), std::nullopt, Size{3840, 2160}, "realesrgan-x4plus", 4.0}));
}

void fillDone(JobQueue& queue, const QStringList& files) {
    if (files.isEmpty())
        return;
    const std::filesystem::path source = pathOf(files[0]);
    const MediaKind kind = mediaKindOf(source).value_or(MediaKind::image);
    if (files.size() < 2) {
        queue.addDemonstration(source, kind, JobStatus::waiting());
        return;
    }
    const std::filesystem::path enlarged = std::filesystem::absolute(pathOf(files[1]));
    // The pictures come as for any finished job; only the result's size is needed now.
    const Size size = PreviewDecoder::measure(enlarged, kind).value_or(Size{});
    UpscaleResult result;
    result.output = enlarged;
    result.size = size;
    result.model = "realesrgan-x4plus";
    result.seconds = 3.0;
    Job* job = queue.addDemonstration(source, kind, JobStatus::done(result));
    queue.setSelectedID(job->id());
}

} // namespace

void fill(JobQueue& queue, const SnapshotRequest& request) {
    switch (request.state) {
    case SnapshotRequest::State::empty:
        return;
    case SnapshotRequest::State::done:
        fillDone(queue, request.files);
        return;
    case SnapshotRequest::State::running:
        fillRunning(queue, request.files);
        return;
    }
}

} // namespace clarivex::DemonstrationQueue
