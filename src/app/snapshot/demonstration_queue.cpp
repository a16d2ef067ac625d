#include "app/snapshot/demonstration_queue.h"

#include "app/queue/store.h"
#include "ui/paint/media_preview.h"

#include <chrono>
#include <filesystem>
#include <vector>

namespace clarivex::DemonstrationQueue {

namespace {

std::filesystem::path pathOf(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

void fillRunning(Store& store, const QStringList& files) {
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files)
        paths.push_back(pathOf(file));
    const QList<Job*> jobs = store.add(paths, false);
    if (jobs.isEmpty())
        return;

    Job* running = jobs[0];
    running->setStatus(JobStatus::running(UpscaleProgress{
        UpscaleProgress::Stage::upscaling, 0.46, "Кадр 110 из 240 · realesr-animevideov3 ×3"}));
    running->setStartedAt(Job::Clock::now() - std::chrono::seconds(20));
    store.setSelectedID(running->id());

    if (jobs.size() < 3)
        return;
    // A folder among the arguments can make the third job come from another file than the
    // third argument: the result names the job's own file.
    Job* finished = jobs[2];
    finished->setStatus(JobStatus::done(
        UpscaleResult{finished->url(), std::nullopt, Size{3840, 2160}, "realesrgan-x4plus", 4.0}));
}

void fillDone(Store& store, const QStringList& files) {
    if (files.isEmpty())
        return;
    const std::filesystem::path source = pathOf(files[0]);
    const MediaKind kind = mediaKindOf(source).value_or(MediaKind::image);
    Job* job = store.addDemonstration(source, kind, JobStatus::waiting());
    if (files.size() < 2)
        return;
    const std::filesystem::path enlarged = pathOf(files[1]);
    // Blocking loads are fine here: nothing else happens before the picture is taken.
    const QImage before = MediaPreview::load(source, kind, std::nullopt);
    const QImage after = MediaPreview::load(enlarged, kind, std::nullopt);
    job->setBefore(before);
    job->setAfter(after);
    job->setStatus(JobStatus::done(UpscaleResult{
        enlarged, std::nullopt, Size{after.width(), after.height()}, "realesrgan-x4plus", 3.0}));
    store.setSelectedID(job->id());
}

} // namespace

void fill(Store& store, const SnapshotRequest& request) {
    switch (request.state) {
    case SnapshotRequest::State::empty:
        return;
    case SnapshotRequest::State::done:
        fillDone(store, request.files);
        return;
    case SnapshotRequest::State::running:
        fillRunning(store, request.files);
        return;
    }
}

} // namespace clarivex::DemonstrationQueue
