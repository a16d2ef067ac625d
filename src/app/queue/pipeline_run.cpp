#include "app/queue/pipeline_run.h"

#include "app/queue/task_runner.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <mutex>
#include <optional>
#include <utility>

namespace clarivex {

namespace {

// A 60 Hz display's frame.
constexpr qint64 progressIntervalMs = 16;

} // namespace

// The run's side that its posted calls and timers find, through a weak reference from the
// timers: they may fire after the run is gone.
struct PipelineRun::State {
    explicit State(QObject* context)
        : context(context)
        , runner(context, 1) {}

    // Shared with the pipeline's threads, whichever of them reports.
    struct Reports {
        std::mutex lock;
        std::optional<UpscaleProgress> latest;
        bool posted = false;
    };

    QObject* context;
    ProgressHandler progress;
    EndHandler ended;
    const std::shared_ptr<Reports> reports = std::make_shared<Reports>();
    // Written by the pipeline's thread before it returns, read once the runner is idle.
    const std::shared_ptr<std::optional<UpscaleOutcome>> outcome =
        std::make_shared<std::optional<UpscaleOutcome>>();
    std::stop_source keepParts;

    // Context thread only.
    bool open = true;
    QElapsedTimer sinceProgress;
    TaskRunner runner;
    TaskRunner::Task task;

    void scheduleDelivery(const std::weak_ptr<State>& weak) {
        if (!open)
            return;
        const qint64 wait = progressIntervalMs - sinceProgress.elapsed();
        if (wait > 0)
            QTimer::singleShot(wait, context, [weak] {
                if (const auto self = weak.lock())
                    self->deliver();
            });
        else
            deliver();
    }

    void deliver() {
        std::optional<UpscaleProgress> newest;
        {
            const std::lock_guard guard(reports->lock);
            newest = std::exchange(reports->latest, std::nullopt);
            reports->posted = false;
        }
        sinceProgress.start();
        if (open && newest)
            progress(*newest);
    }
};

PipelineRun::PipelineRun(QObject* context, UpscaleJob job, Pipeline pipeline,
                         ProgressHandler progress, EndHandler ended)
    : state_(std::make_shared<State>(context)) {
    state_->progress = std::move(progress);
    state_->ended = std::move(ended);
    state_->sinceProgress.start();
    State* state = state_.get();
    const std::weak_ptr<State> weak = state_;
    state_->task = state_->runner.start(
        [job = std::move(job), pipeline = std::move(pipeline), reports = state_->reports,
         outcome = state_->outcome, weak, keepParts = state_->keepParts.get_token()](
            std::stop_token stopToken, const TaskRunner::Deliver& deliver) mutable {
            const ProgressCallback report = [reports, deliver,
                                             weak](const UpscaleProgress& progress) {
                {
                    const std::lock_guard guard(reports->lock);
                    reports->latest = progress;
                    if (std::exchange(reports->posted, true))
                        return;
                }
                deliver([weak] {
                    if (const auto self = weak.lock())
                        self->scheduleDelivery(weak);
                });
            };
            job.report = report;
            job.stopToken = std::move(stopToken);
            job.keepPartsToken = keepParts;
            *outcome = pipeline(std::move(job));
        },
        [state] {
            // The handler may end the run, and with it this state.
            if (state->open)
                EndHandler(state->ended)();
        });
}

PipelineRun::~PipelineRun() {
    state_->open = false;
    state_->runner.close();
    state_->runner.waitUntilIdle(std::chrono::steady_clock::time_point::max());
}

void PipelineRun::requestStop() {
    state_->task.requestStop();
}

void PipelineRun::interrupt() {
    state_->keepParts.request_stop();
    state_->task.requestStop();
}

bool PipelineRun::stopRequested() const {
    return state_->task.stopRequested();
}

bool PipelineRun::waitUntilEnded(std::chrono::steady_clock::time_point deadline) {
    return state_->runner.waitUntilIdle(deadline);
}

UpscaleOutcome PipelineRun::finish() {
    state_->open = false;
    state_->runner.close();
    state_->runner.waitUntilIdle(std::chrono::steady_clock::time_point::max());
    return std::move(**state_->outcome);
}

} // namespace clarivex
