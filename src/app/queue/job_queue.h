#pragma once

#include "app/queue/job.h"
#include "app/queue/job_list_model.h"
#include "app/queue/pipeline.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace clarivex {

class DesktopServices;
class PipelineRun;

// The queue of jobs and its worker: runs the first waiting job through the pipeline, one at a
// time and in list order, tracks which job the window shows, counts the successes and keeps
// the launcher badge. A job is `done` the moment its pipeline returns, and the next one starts
// at once. Lives on the main thread, and so do its jobs; every member is for the main thread.
// The pipeline runs on a thread of its own and only posts its reports and its end back.
class JobQueue : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUuid selectedID READ selectedID WRITE setSelectedID NOTIFY selectedIDChanged)
    Q_PROPERTY(int celebration READ celebration NOTIFY celebrationChanged)
    Q_PROPERTY(clarivex::Job* focused READ focused NOTIFY focusedChanged)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY countsChanged)
    Q_PROPERTY(bool hasFinished READ hasFinished NOTIFY countsChanged)
    Q_PROPERTY(bool hasCurrent READ hasCurrent NOTIFY currentChanged)

public:
    // What the queue takes from outside.
    struct Services {
        // Readies a job when it starts: finds the external programs and fills in what the
        // session knows of its engine (EngineCheck::equip). Raises UpscaleError when the engine
        // is missing, which fails that job without running it.
        std::function<UpscaleJob(UpscaleJob)> equip;
        // Runs one job (see Pipeline).
        Pipeline pipeline;
        // The settings a job takes when it starts.
        std::function<Options()> options;
        // The badge and the success sound. Must outlive the queue.
        DesktopServices* desktop = nullptr;
        // Called when the worker finds nothing left to run, so that work started ahead for
        // jobs that will not run after all (an engine shared with photos since cancelled)
        // stops. Nothing: no such work.
        std::function<void()> nothingWaits{};
    };

    explicit JobQueue(Services services, QObject* parent = nullptr);
    // Stops the running pipeline and waits for it.
    ~JobQueue() override;

    // In the order the files were added.
    const QList<Job*>& jobs() const { return list_.jobs(); }
    // The same jobs as rows, for the views.
    JobListModel& model() { return list_; }
    const JobListModel& model() const { return list_; }
    // The job with this id, or nullptr.
    Job* job(const QUuid& id) const;

    // Expands folders one level (hidden entries skipped, natural case-insensitive order),
    // makes a `waiting` job for every supported file and with `start` wakes the worker.
    // Missing paths, unlistable folders and unsupported files are skipped silently. Returns
    // the jobs added.
    QList<Job*> add(const std::vector<std::filesystem::path>& paths, bool start);
    // The same for files already expanded and checked (queueableFiles), in their order.
    QList<Job*> addFiles(const std::vector<std::filesystem::path>& files, bool start);
    // Appends one job for `file` exactly as given, kind and status included; starts nothing.
    // For the snapshot's demonstration queue.
    Job* addDemonstration(const std::filesystem::path& file, MediaKind kind, JobStatus status);

    // The job the user or the worker put in front; may name a job that no longer exists;
    // null for none.
    QUuid selectedID() const { return selectedID_; }
    void setSelectedID(const QUuid& id);
    // Successful jobs since launch.
    int celebration() const { return celebration_; }
    // The job the stage shows: the selected one, else the first running, else the last done,
    // else the first; nullptr for an empty queue.
    Job* focused() const;
    // Jobs `running` or `waiting`.
    int pendingCount() const;
    // Whether any job is `done`, `failed` or `cancelled`.
    bool hasFinished() const;
    // Whether a pipeline runs now.
    bool hasCurrent() const { return current_ != nullptr; }
    // Whether the worker is busy with the queue.
    bool isWorking() const { return working_; }

    // Starts the worker unless it is already working. It runs the first `waiting` job in list
    // order, then looks again from the front.
    void startIfNeeded();
    // The stage's cancel button, by the status at the moment of the click: a waiting job
    // becomes `cancelled` at once, a running one when its pipeline has stopped.
    void cancel(Job* job);
    // Every waiting job becomes `cancelled` at once, the running one when its pipeline has
    // stopped.
    void cancelAll();
    // Whether `job` runs and its stop has been asked for: it becomes `cancelled` when its
    // pipeline has stopped, which may take a few seconds.
    bool isStopping(const Job& job) const;
    // For quitting: cancels everything and waits until `deadline` for the running pipeline to
    // return (its child processes reaped, its working folder gone), then settles its job. A
    // running video keeps its finished segments, for the same file to continue from.
    // True when no pipeline runs any more. Blocks the main thread.
    bool cancelAllAndWait(std::chrono::steady_clock::time_point deadline);
    // Removes the `done`, `failed` and `cancelled` jobs, and a selection left dangling.
    void clearFinished();
    // "Повторить": a `failed` or `cancelled` job becomes `waiting` and the worker wakes.
    void retry(Job* job);

Q_SIGNALS:
    // New jobs, after their rows and after the focus has settled on them.
    void jobsAdded(const QList<clarivex::Job*>& jobs);
    // A job that has left the queue, after its row; it is deleted later.
    void jobRemoved(clarivex::Job* job);
    void selectedIDChanged();
    void celebrationChanged();
    void focusedChanged();
    // A job's status changed or jobs came or went: pendingCount and hasFinished may differ.
    void countsChanged();
    void currentChanged();
    // The running job's stop has been asked for (see isStopping()).
    void stopRequested();

private:
    void appendJobs(const QList<Job*>& jobs);
    void refreshFocus();
    void statusChanged();
    void scheduleAdvance();
    void advance();
    // False when the job failed before it could start, so the worker looks further.
    bool process(Job* job);
    // The photos waiting right behind `job`, in the order the worker will take them.
    std::vector<std::filesystem::path> followingPhotos(const Job* job) const;
    void finishRun();
    // Gives the job the status its outcome calls for; `stopped`: the user asked it to stop.
    void settle(Job* job, const UpscaleOutcome& outcome, bool stopped);
    void stopCurrent();
    void refreshBadge();

    Services services_;
    JobListModel list_;
    QUuid selectedID_;
    int celebration_ = 0;
    bool working_ = false;
    std::unique_ptr<PipelineRun> current_;
    QUuid runningID_;
    Job* lastFocused_ = nullptr;
};

} // namespace clarivex
