#include "app/queue/pipeline_run.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace clarivex {

namespace {

// A 60 Hz display's frame.
constexpr qint64 progressIntervalMs = 16;

} // namespace

// Shared with the pipeline thread and with the calls posted to the context, so that a late
// call finds the state even when the run object is gone, and sees that it is closed.
struct PipelineRun::State {
    QObject* context = nullptr;
    ProgressHandler progress;
    EndHandler ended;

    std::mutex lock;
    std::condition_variable endedCondition;
    std::optional<UpscaleOutcome> outcome;
    std::optional<UpscaleProgress> latest;
    bool progressPosted = false;

    std::stop_source keepParts;

    // Context thread only.
    bool open = true;
    QElapsedTimer sinceProgress;
    std::jthread thread;

    void report(const UpscaleProgress& report, const std::shared_ptr<State>& self) {
        const std::lock_guard guard(lock);
        latest = report;
        if (std::exchange(progressPosted, true))
            return;
        QMetaObject::invokeMethod(
            context, [self] { self->scheduleDelivery(self); }, Qt::QueuedConnection);
    }

    void scheduleDelivery(const std::shared_ptr<State>& self) {
        if (!open)
            return;
        const qint64 wait = progressIntervalMs - sinceProgress.elapsed();
        if (wait > 0)
            QTimer::singleShot(wait, context, [self] { self->deliver(); });
        else
            deliver();
    }

    void deliver() {
        std::optional<UpscaleProgress> newest;
        {
            const std::lock_guard guard(lock);
            newest = std::exchange(latest, std::nullopt);
            progressPosted = false;
        }
        sinceProgress.start();
        if (open && newest)
            progress(*newest);
    }
};

PipelineRun::PipelineRun(QObject* context, UpscaleJob job, Pipeline pipeline,
                         ProgressHandler progress, EndHandler ended)
    : state_(std::make_shared<State>()) {
    state_->context = context;
    state_->progress = std::move(progress);
    state_->ended = std::move(ended);
    state_->sinceProgress.start();
    // The thread holds the state through a weak reference in its callback, so that the
    // state never outlives the run object by way of its own thread.
    State* state = state_.get();
    std::weak_ptr<State> weak = state_;
    ProgressCallback report = [state, weak](const UpscaleProgress& progress) {
        if (const auto self = weak.lock())
            state->report(progress, self);
    };
    state_->thread = std::jthread(
        [state, weak, job = std::move(job), pipeline = std::move(pipeline), report,
         keepParts = state_->keepParts.get_token()](std::stop_token stopToken) mutable {
            job.report = report;
            job.stopToken = std::move(stopToken);
            job.keepPartsToken = keepParts;
            UpscaleOutcome outcome = pipeline(std::move(job));
            {
                const std::lock_guard guard(state->lock);
                state->outcome = std::move(outcome);
            }
            state->endedCondition.notify_all();
            if (const auto self = weak.lock())
                QMetaObject::invokeMethod(
                    self->context,
                    [self] {
                        if (self->open)
                            self->ended();
                    },
                    Qt::QueuedConnection);
        });
}

PipelineRun::~PipelineRun() {
    state_->open = false;
    state_->thread.request_stop();
    if (state_->thread.joinable())
        state_->thread.join();
}

void PipelineRun::requestStop() {
    state_->thread.request_stop();
}

void PipelineRun::interrupt() {
    state_->keepParts.request_stop();
    state_->thread.request_stop();
}

bool PipelineRun::stopRequested() const {
    return state_->thread.get_stop_source().stop_requested();
}

bool PipelineRun::waitUntilEnded(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(state_->lock);
    return state_->endedCondition.wait_until(lock, deadline,
                                             [this] { return state_->outcome.has_value(); });
}

UpscaleOutcome PipelineRun::finish() {
    state_->open = false;
    state_->thread.join();
    const std::lock_guard guard(state_->lock);
    return std::move(*state_->outcome);
}

} // namespace clarivex
