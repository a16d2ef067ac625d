#pragma once

#include "app/queue/pipeline.h"

#include <chrono>
#include <functional>
#include <memory>

class QObject;

namespace clarivex {

// One job's pipeline on a thread of its own (a TaskRunner's). Its progress reports, from whichever
// threads they come, are coalesced: the context's thread gets at most one per display frame, always
// the newest, and none once the run is finished or gone. Made, used and destroyed on the
// context's thread (the main thread); the callbacks run there too.
class PipelineRun {
public:
    using ProgressHandler = std::function<void(const UpscaleProgress&)>;
    using EndHandler = std::function<void()>;

    // Starts the pipeline on `job` at once, with the run's report callback and its tokens filled
    // in: `stopToken`, and `keepPartsToken`, stopped before it when the stop comes from the
    // program ending rather than from the user (interrupt()). `ended` is called once the
    // pipeline has returned, unless finish() was called first.
    PipelineRun(QObject* context, UpscaleJob job, Pipeline pipeline, ProgressHandler progress,
                EndHandler ended);
    // Stops the pipeline and waits for it.
    ~PipelineRun();
    PipelineRun(const PipelineRun&) = delete;
    PipelineRun& operator=(const PipelineRun&) = delete;

    void requestStop();
    // Stops the pipeline because the program ends, not by the user's wish: a video keeps its
    // finished segments, and the same job continues after them next time.
    void interrupt();
    bool stopRequested() const;
    // Blocks until the pipeline has returned or `deadline` has passed; true when it returned.
    bool waitUntilEnded(std::chrono::steady_clock::time_point deadline);
    // After the pipeline returned: waits for its thread to let go and gives its outcome. No
    // callback comes after this.
    UpscaleOutcome finish();

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace clarivex
