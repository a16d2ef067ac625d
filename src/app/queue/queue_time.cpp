#include "app/queue/queue_time.h"

#include "app/queue/job.h"
#include "app/queue/job_queue.h"
#include "ui/text/eta_text.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace clarivex {

QueueTime::QueueTime(JobQueue& queue, Measure measure, ModelFor modelFor, RateStore rates,
                     QObject* parent)
    : QObject(parent)
    , queue_(queue)
    , measure_(std::move(measure))
    , modelFor_(std::move(modelFor))
    , rates_(std::move(rates))
    , estimate_(rates_.read ? rates_.read() : std::nullopt)
    , measuring_(this) {
    ticker_.setInterval(1000);
    connect(&ticker_, &QTimer::timeout, this, &QueueTime::refresh);
    connect(&queue_, &JobQueue::jobsAdded, this, &QueueTime::jobsAdded);
    connect(&queue_, &JobQueue::countsChanged, this, &QueueTime::refresh);
    connect(&queue_, &JobQueue::jobRemoved, this, [this](Job* job) {
        extents_.remove(job->id());
        numbers_.remove(job->id());
        unlearned_.remove(job->id());
    });
}

QueueTime::~QueueTime() {
    measuring_.close();
    measuring_.waitUntilIdle(std::chrono::steady_clock::time_point::max());
}

void QueueTime::jobsAdded(const QList<Job*>& jobs) {
    std::vector<std::tuple<QUuid, std::filesystem::path, MediaKind>> files;
    for (Job* job : jobs) {
        numbers_.insert(job->id(), nextNumber_++);
        connect(job, &Job::statusChanged, this, [this, job] {
            if (job->status().is(JobStatus::Case::done))
                finished(*job);
        });
        files.emplace_back(job->id(), job->url(), job->kind());
    }
    measuring_.start([this, files = std::move(files), measure = measure_](
                         std::stop_token stop, const TaskRunner::Deliver& deliver) {
        for (const auto& [id, path, kind] : files) {
            if (stop.stop_requested())
                return;
            std::optional<SourceExtent> extent;
            try {
                extent = measure(path, kind, stop);
            } catch (...) {
                // Unreadable or stopped: such a file fails at once when its turn comes.
            }
            deliver([this, id = id, extent] { measured(id, extent); });
        }
    });
}

void QueueTime::measured(const QUuid& id, const std::optional<SourceExtent>& extent) {
    if (!numbers_.contains(id))
        return;
    extents_.insert(id, extent);
    if (const auto run = unlearned_.constFind(id); run != unlearned_.constEnd()) {
        learn(*workOf(id, run->model), run->seconds);
        unlearned_.remove(id);
    }
    refresh();
}

std::optional<double> QueueTime::workOf(const QUuid& id, const std::string& model) const {
    const auto found = extents_.constFind(id);
    if (found == extents_.constEnd())
        return std::nullopt;
    // A file that cannot be read fails as soon as it starts: no work for the network.
    if (!*found)
        return 0.0;
    return clarivex::workOf((*found)->size, (*found)->frames, model);
}

void QueueTime::finished(const Job& job) {
    const UpscaleResult* result = job.status().result();
    if (!result)
        return;
    // A small file may be done before its size was read: it is learned from once it is.
    if (!extents_.contains(job.id())) {
        unlearned_.insert(job.id(), {result->model, result->seconds});
        return;
    }
    learn(*workOf(job.id(), result->model), result->seconds);
}

void QueueTime::learn(double work, double seconds) {
    if (!(work > 0))
        return;
    estimate_.learn(work, seconds);
    if (estimate_.rate() && rates_.write)
        rates_.write(*estimate_.rate());
}

void QueueTime::refresh() {
    const auto now = Job::Clock::now();
    std::vector<const Job*> pending;
    for (const Job* job : queue_.jobs())
        if (job->status().isPending())
            pending.push_back(job);
    if (pending.empty())
        ticker_.stop();
    else if (!ticker_.isActive())
        ticker_.start();

    std::optional<double> running;
    // Work units a second, as the running job shows them, for the queue when nothing is learned.
    std::optional<double> pace;
    const UpscaleProgress* progress = nullptr;
    const Job* runningJob = nullptr;
    for (const Job* job : pending) {
        if ((progress = job->status().progress())) {
            runningJob = job;
            break;
        }
    }
    if (runningJob && runningJob->startedAt()) {
        const double elapsed =
            std::chrono::duration<double>(now - *runningJob->startedAt()).count();
        running = linearRemaining(progress->fraction, elapsed);
        const auto work = workOf(runningJob->id(), modelFor_(runningJob->kind()));
        if (running && work && *work > 0)
            pace = *work * progress->fraction / elapsed;
    }
    const std::optional<double> rate = estimate_.rate() ? estimate_.rate() : pace;

    std::optional<double> total = 0.0;
    for (const Job* job : pending) {
        if (job == runningJob && running) {
            *total += *running;
            continue;
        }
        const auto work = workOf(job->id(), modelFor_(job->kind()));
        if (!work || !rate) {
            total.reset();
            break;
        }
        const double left =
            job == runningJob ? 1.0 - std::clamp(progress->fraction, 0.0, 1.0) : 1.0;
        *total += *work * left / *rate;
    }
    if (pending.empty())
        total.reset();
    if (total == seconds_ && running == runningSeconds_)
        return;
    seconds_ = total;
    runningSeconds_ = running;
    Q_EMIT changed();
}

} // namespace clarivex
