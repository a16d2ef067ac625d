#pragma once

#include "app/queue/task_runner.h"
#include "core/pipeline/queue_estimate.h"
#include "core/pipeline/source_extent.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace clarivex {

class Job;
class JobQueue;

// The time the whole queue still needs, for the strip's counter and the window title, and the
// running job's share of it, for the stage: one estimate, so that the counter and the stage
// never disagree. The running job's share is its linear progress (as the stage has always told
// it), or, until that says anything, its work at the learned rate; a waiting job is its work
// at the learned rate, or at the running job's pace while nothing is learned. Each file's size
// and frames are read off the main thread as it is added; the rate this machine works at is
// learned from the jobs it finishes and kept in the settings under "workRate", so that the
// first job of the next day is already estimated. Refreshed on every progress report and once
// a second while jobs are pending. Main thread only.
class QueueTime : public QObject {
    Q_OBJECT
public:
    // Reads a file's extent (SourceExtent::measure with ffprobe found as discovery finds it);
    // runs on the measuring thread.
    using Measure = std::function<std::optional<SourceExtent>(
        const std::filesystem::path& source, MediaKind kind, std::stop_token stopToken)>;
    // The model a waiting job of this kind would run now.
    using ModelFor = std::function<std::string(MediaKind kind)>;
    // Reads and writes the learned rate; nothing stored reads as nothing.
    struct RateStore {
        std::function<std::optional<double>()> read;
        std::function<void(double)> write;
    };

    QueueTime(JobQueue& queue, Measure measure, ModelFor modelFor, RateStore rates,
              QObject* parent = nullptr);
    // Stops the measuring and waits for it.
    ~QueueTime() override;

    // The seconds the pending jobs still need, or nothing when they cannot be estimated.
    std::optional<double> seconds() const { return seconds_; }
    // The seconds the running job still needs by its own progress, or nothing while too
    // little of it is known (see linearRemaining).
    std::optional<double> runningSeconds() const { return runningSeconds_; }

    // Looks again now, as the timer does every second.
    void refresh();

Q_SIGNALS:
    void changed();

private:
    void jobsAdded(const QList<Job*>& jobs);
    void measured(const QUuid& id, const std::optional<SourceExtent>& extent);
    void finished(const Job& job);
    void learn(double work, double seconds);
    std::optional<double> workOf(const QUuid& id, const std::string& model) const;

    JobQueue& queue_;
    Measure measure_;
    ModelFor modelFor_;
    RateStore rates_;
    QueueEstimate estimate_;
    // Per job: its extent once read; nothing inside for a file that could not be read.
    QHash<QUuid, std::optional<SourceExtent>> extents_;
    QHash<QUuid, std::uint64_t> numbers_;
    // Finished jobs whose size was not yet read: the model they ran and their seconds.
    struct Run {
        std::string model;
        double seconds = 0;
    };
    QHash<QUuid, Run> unlearned_;
    std::uint64_t nextNumber_ = 1;
    std::optional<double> seconds_;
    std::optional<double> runningSeconds_;
    QTimer ticker_;
    // A thread for each batch of jobs added.
    TaskRunner measuring_;
};

} // namespace clarivex
