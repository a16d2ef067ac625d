#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

class QObject;

namespace clarivex {

// Work off the main thread for one owner. Each task runs on a thread of the runner's, at most
// `maxThreads` at once and the others in the order they were started; what it hands back runs
// on the context object's thread, in the order it was handed, and never once the task was
// abandoned, a newer generation began or the runner was closed. The runner itself never waits
// for its threads: an owner that must wait says until when (waitUntilIdle), so that a task
// deaf to its stop token (an engine that ignores termination) holds up no one and ends on its
// own later. Made, used and destroyed on the context's thread; the work runs elsewhere.
class TaskRunner {
public:
    // Queues `call` to the context's thread. Callable from any thread, also after the work has
    // returned; calls from one thread run in the order they were made.
    using Deliver = std::function<void(std::function<void()> call)>;
    // A task's work, on a thread of the runner's. It may outlive the runner and its owner, so it
    // owns or shares whatever it reads, and reaches the owner only through `deliver`. It never
    // throws: its thread belongs to no one who could catch it.
    using Work = std::function<void(std::stop_token stopToken, const Deliver& deliver)>;

    static constexpr int unlimited = 0;

    // The context thread's hold on one task; a default-made one holds none.
    class Task {
    public:
        Task() = default;
        // Stops the task's token; what it delivers still arrives.
        void requestStop() const;
        bool stopRequested() const;
        // Stops the task's token and drops whatever it delivers from now on; its end is still
        // told (see start()).
        void abandon() const;

    private:
        friend class TaskRunner;
        struct State;
        explicit Task(std::shared_ptr<State> state);
        std::shared_ptr<State> state_;
    };

    explicit TaskRunner(QObject* context, int maxThreads = unlimited);
    // Closes the runner; waits for nothing.
    ~TaskRunner();
    TaskRunner(const TaskRunner&) = delete;
    TaskRunner& operator=(const TaskRunner&) = delete;

    // Runs `work` as soon as a thread is free. `ended` runs on the context's thread once the
    // work has returned, after everything it delivered, also for an abandoned task. Once the
    // runner is closed nothing starts, and an empty Task comes back.
    Task start(Work work, std::function<void()> ended = {});
    // A new generation: every task started before is abandoned.
    void abandonAll();
    // For good: every task abandoned, those still waiting for a thread dropped, nothing
    // delivered or told afterwards, nothing started.
    void close();
    // Whether every task started has told its end; true once closed.
    bool isIdle() const;
    // Blocks until no work runs or waits for a thread, or until `deadline`; true when none does.
    // The only wait there is: a task still running past it goes on alone.
    bool waitUntilIdle(std::chrono::steady_clock::time_point deadline) const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace clarivex
