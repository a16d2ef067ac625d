#pragma once

#include "core/pipeline/upscale_outcome.h"

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

class QObject;

namespace clarivex {

// One job's pipeline on a thread of its own (a TaskRunner's). Its progress reports, from whichever
// threads they come, are coalesced: the context's thread gets at most one per display frame, always
// the newest, and none once the run is finished or gone. Made, used and destroyed on the
// context's thread (the main thread); the callbacks run there too.
class PipelineRun {
public:
    // The work of the run, on its own thread: reports through the callback, stops when the
    // first token is stopped, never throws. The second is stopped, before the first, when the
    // stop comes from the program ending rather than from the user (interrupt()).
    using Work = std::function<UpscaleOutcome(const ProgressCallback& report, std::stop_token,
                                              std::stop_token keepPartsToken)>;
    using ProgressHandler = std::function<void(const UpscaleProgress&)>;
    using EndHandler = std::function<void()>;

    // Starts the work at once. `ended` is called once the work has returned, unless finish()
    // was called first.
    PipelineRun(QObject* context, Work work, ProgressHandler progress, EndHandler ended);
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
