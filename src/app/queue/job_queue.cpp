#include "app/queue/job_queue.h"

#include "app/queue/desktop_services.h"
#include "app/queue/file_expansion.h"
#include "app/queue/pipeline_run.h"
#include "app/texts/pipeline_text.h"
#include "core/image/photo_batch.h"

#include <QMetaObject>

#include <algorithm>

namespace clarivex {

JobQueue::JobQueue(Services services, QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
    , list_(this) {}

JobQueue::~JobQueue() {
    // The pipeline must not outlive the queue it reports to; resetting stops it and waits.
    current_.reset();
}

Job* JobQueue::job(const QUuid& id) const {
    const QList<Job*>& jobs = this->jobs();
    const auto found =
        std::find_if(jobs.begin(), jobs.end(), [&](const Job* job) { return job->id() == id; });
    return found == jobs.end() ? nullptr : *found;
}

// Adding

QList<Job*> JobQueue::add(const std::vector<std::filesystem::path>& paths, bool start) {
    return addFiles(queueableFiles(paths), start);
}

QList<Job*> JobQueue::addFiles(const std::vector<std::filesystem::path>& files, bool start) {
    QList<Job*> added;
    for (const auto& file : files) {
        const auto kind = mediaKindOf(file);
        if (!kind)
            continue;
        added.push_back(new Job(file, *kind, this));
    }
    if (!added.isEmpty()) {
        appendJobs(added);
        statusChanged();
        Q_EMIT jobsAdded(added);
    }
    if (start)
        startIfNeeded();
    return added;
}

Job* JobQueue::addDemonstration(const std::filesystem::path& file, MediaKind kind,
                                JobStatus status) {
    auto* job = new Job(std::filesystem::absolute(file), kind, this);
    job->setStatus(std::move(status));
    appendJobs({job});
    statusChanged();
    Q_EMIT jobsAdded({job});
    return job;
}

void JobQueue::appendJobs(const QList<Job*>& jobs) {
    // The queue hears of a status change before the views do, so that a view that follows the
    // focus has moved on when the job it showed changes.
    for (Job* job : jobs)
        connect(job, &Job::statusChanged, this, &JobQueue::statusChanged);
    list_.append(jobs);
}

// Selection and derived values

void JobQueue::setSelectedID(const QUuid& id) {
    if (selectedID_ == id)
        return;
    selectedID_ = id;
    Q_EMIT selectedIDChanged();
    refreshFocus();
}

Job* JobQueue::focused() const {
    const QList<Job*>& jobs = this->jobs();
    if (Job* selected = selectedID_.isNull() ? nullptr : job(selectedID_))
        return selected;
    const auto running = std::find_if(jobs.begin(), jobs.end(), [](const Job* job) {
        return job->status().is(JobStatus::Case::running);
    });
    if (running != jobs.end())
        return *running;
    const auto done = std::find_if(jobs.rbegin(), jobs.rend(), [](const Job* job) {
        return job->status().is(JobStatus::Case::done);
    });
    if (done != jobs.rend())
        return *done;
    return jobs.isEmpty() ? nullptr : jobs.front();
}

int JobQueue::pendingCount() const {
    const QList<Job*>& jobs = this->jobs();
    return static_cast<int>(std::count_if(
        jobs.begin(), jobs.end(), [](const Job* job) { return job->status().isPending(); }));
}

bool JobQueue::hasFinished() const {
    const QList<Job*>& jobs = this->jobs();
    return std::any_of(jobs.begin(), jobs.end(),
                       [](const Job* job) { return job->status().isFinished(); });
}

void JobQueue::refreshFocus() {
    Job* now = focused();
    if (now == lastFocused_)
        return;
    lastFocused_ = now;
    Q_EMIT focusedChanged();
}

void JobQueue::statusChanged() {
    Q_EMIT countsChanged();
    refreshFocus();
}

// The worker

void JobQueue::startIfNeeded() {
    if (working_)
        return;
    working_ = true;
    scheduleAdvance();
}

void JobQueue::scheduleAdvance() {
    // Through the event loop, as a task of its own: whoever woke the worker (a drop, a
    // button) finishes first, and a long queue of failing jobs never deepens the stack.
    QMetaObject::invokeMethod(this, &JobQueue::advance, Qt::QueuedConnection);
}

void JobQueue::advance() {
    if (current_)
        return;
    const QList<Job*>& jobs = this->jobs();
    while (true) {
        const auto next = std::find_if(jobs.begin(), jobs.end(), [](const Job* job) {
            return job->status().is(JobStatus::Case::waiting);
        });
        if (next == jobs.end()) {
            working_ = false;
            if (services_.nothingWaits)
                services_.nothingWaits();
            refreshBadge();
            return;
        }
        if (process(*next))
            return;
    }
}

std::vector<std::filesystem::path> JobQueue::followingPhotos(const Job* job) const {
    std::vector<std::filesystem::path> following;
    if (job->kind() != MediaKind::image)
        return following;
    const QList<Job*>& jobs = this->jobs();
    // The worker takes the waiting jobs in list order, so these are the photos that run next,
    // up to the first video.
    for (auto it = std::find(jobs.begin(), jobs.end(), job) + 1; it != jobs.end(); ++it) {
        if (!(*it)->status().is(JobStatus::Case::waiting))
            continue;
        if ((*it)->kind() != MediaKind::image)
            break;
        following.push_back((*it)->url());
        if (following.size() + 1 >= static_cast<std::size_t>(PhotoBatch::maxPhotos))
            break;
    }
    return following;
}

bool JobQueue::process(Job* job) {
    UpscaleJob upscaleJob{.source = job->url(),
                          .options = services_.options(),
                          .followingPhotos = followingPhotos(job)};
    try {
        upscaleJob = services_.equip(std::move(upscaleJob));
    } catch (...) {
        settle(job, outcomeOf(std::current_exception(), {}), false);
        return false;
    }
    job->setStatus(JobStatus::running({}));
    job->setStartedAt(Job::Clock::now());
    setSelectedID(job->id());
    refreshBadge();

    const QUuid id = job->id();
    runningID_ = id;
    current_ = std::make_unique<PipelineRun>(
        this, std::move(upscaleJob), services_.pipeline,
        [this, id](const UpscaleProgress& progress) {
            // A report that arrives after the job has left `running` is dropped.
            Job* job = this->job(id);
            if (job && job->status().is(JobStatus::Case::running))
                job->setStatus(JobStatus::running(progress));
        },
        [this] { finishRun(); });
    Q_EMIT currentChanged();
    return true;
}

void JobQueue::finishRun() {
    const std::unique_ptr<PipelineRun> run = std::move(current_);
    const bool stopped = run->stopRequested();
    UpscaleOutcome outcome = run->finish();
    Q_EMIT currentChanged();
    if (Job* job = this->job(runningID_))
        settle(job, outcome, stopped);
    refreshBadge();
    scheduleAdvance();
}

void JobQueue::settle(Job* job, const UpscaleOutcome& outcome, bool stopped) {
    if (const auto* result = std::get_if<UpscaleResult>(&outcome)) {
        job->setStatus(JobStatus::done(*result));
        setSelectedID(job->id());
        ++celebration_;
        Q_EMIT celebrationChanged();
        services_.desktop->playSuccessSound();
    } else if (const auto* failure = std::get_if<UpscaleFailure>(&outcome); failure && !stopped) {
        job->setStatus(JobStatus::failed(PipelineText::error(failure->error)));
    } else {
        job->setStatus(JobStatus::cancelled());
    }
}

void JobQueue::refreshBadge() {
    services_.desktop->setBadge(pendingCount());
}

// Cancelling and clearing

void JobQueue::cancel(Job* job) {
    if (!job)
        return;
    // The status at the moment of the click decides, since the job may have moved on.
    if (job->status().is(JobStatus::Case::waiting))
        job->setStatus(JobStatus::cancelled());
    else if (job->status().is(JobStatus::Case::running) && current_ && runningID_ == job->id())
        stopCurrent();
}

void JobQueue::stopCurrent() {
    if (!current_ || current_->stopRequested())
        return;
    current_->requestStop();
    Q_EMIT stopRequested();
}

bool JobQueue::isStopping(const Job& job) const {
    return current_ && runningID_ == job.id() && current_->stopRequested();
}

void JobQueue::cancelAll() {
    for (Job* job : jobs())
        if (job->status().is(JobStatus::Case::waiting))
            job->setStatus(JobStatus::cancelled());
    stopCurrent();
}

bool JobQueue::cancelAllAndWait(std::chrono::steady_clock::time_point deadline) {
    // The program ends rather than the user giving up on the job: its finished parts stay.
    if (current_)
        current_->interrupt();
    cancelAll();
    if (!current_)
        return true;
    if (!current_->waitUntilEnded(deadline))
        return false;
    // The pipeline has returned, so its children are reaped and its working folder gone;
    // settle the job now rather than in an event the quitting loop may never run.
    finishRun();
    return true;
}

void JobQueue::clearFinished() {
    const QList<Job*> removed =
        list_.removeIf([](const Job& job) { return job.status().isFinished(); });
    if (removed.isEmpty())
        return;
    for (Job* job : removed) {
        disconnect(job, nullptr, this, nullptr);
        if (job == lastFocused_)
            lastFocused_ = nullptr;
        Q_EMIT jobRemoved(job);
        // Views may still hold the job while its row leaves.
        job->deleteLater();
    }
    if (!selectedID_.isNull() && !job(selectedID_)) {
        selectedID_ = QUuid();
        Q_EMIT selectedIDChanged();
    }
    statusChanged();
}

void JobQueue::retry(Job* job) {
    if (!job || !(job->status().is(JobStatus::Case::failed) ||
                  job->status().is(JobStatus::Case::cancelled)))
        return;
    job->setStatus(JobStatus::waiting());
    startIfNeeded();
}

} // namespace clarivex
