#include "app/queue/task_runner.h"

#include <QMetaObject>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace clarivex {

struct TaskRunner::Task::State {
    Work work;
    std::function<void()> ended;
    std::stop_source stop;

    // Context thread only.
    int generation = 0;
    bool abandoned = false;
};

// Shared with the threads and with the calls posted to the context, so that a thread or a late
// call finds it even when the runner is gone, and sees that it is closed.
struct TaskRunner::Shared {
    explicit Shared(QObject* context, int maxThreads)
        : context(context)
        , maxThreads(maxThreads) {}

    std::mutex lock;
    std::condition_variable idleCondition;
    // Nothing once closed. The threads post under the lock, so that the context cannot be
    // destroyed between their look at it and their post.
    QObject* context;
    const int maxThreads;
    int busy = 0;
    std::deque<std::shared_ptr<Task::State>> waiting;

    // Context thread only.
    bool open = true;
    int generation = 0;
    int unfinished = 0;
    std::vector<std::weak_ptr<Task::State>> started;

    bool isCurrent(const Task::State& task) const {
        return open && !task.abandoned && task.generation == generation;
    }

    static void runTasks(std::shared_ptr<Shared> shared, std::shared_ptr<Task::State> task);

    template <typename Call> void post(Call call) {
        const std::lock_guard guard(lock);
        if (context)
            QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
    }
};

// A thread of the runner's: runs its first task, then whatever waits, and ends when nothing
// does. It is never joined, so that nothing waits for it longer than it chooses to.
void TaskRunner::Shared::runTasks(std::shared_ptr<Shared> shared,
                                  std::shared_ptr<Task::State> task) {
    while (task) {
        const Deliver deliver = [shared, task](std::function<void()> call) {
            shared->post([shared, task, call = std::move(call)] {
                if (shared->isCurrent(*task))
                    call();
            });
        };
        task->work(task->stop.get_token(), deliver);
        // What the work holds goes before anyone is told that it has returned.
        task->work = nullptr;
        shared->post([shared, task] {
            if (!shared->open)
                return;
            --shared->unfinished;
            if (const auto ended = std::move(task->ended))
                ended();
        });
        std::shared_ptr<Task::State> next;
        {
            const std::lock_guard guard(shared->lock);
            if (shared->waiting.empty()) {
                --shared->busy;
            } else {
                next = std::move(shared->waiting.front());
                shared->waiting.pop_front();
            }
        }
        if (!next)
            shared->idleCondition.notify_all();
        task = std::move(next);
    }
}

TaskRunner::Task::Task(std::shared_ptr<State> state)
    : state_(std::move(state)) {}

void TaskRunner::Task::requestStop() const {
    if (state_)
        state_->stop.request_stop();
}

bool TaskRunner::Task::stopRequested() const {
    return state_ && state_->stop.stop_requested();
}

void TaskRunner::Task::abandon() const {
    if (!state_)
        return;
    state_->abandoned = true;
    state_->stop.request_stop();
}

TaskRunner::TaskRunner(QObject* context, int maxThreads)
    : shared_(std::make_shared<Shared>(context, maxThreads)) {}

TaskRunner::~TaskRunner() {
    close();
}

TaskRunner::Task TaskRunner::start(Work work, std::function<void()> ended) {
    if (!shared_->open)
        return {};
    auto task = std::make_shared<Task::State>();
    task->work = std::move(work);
    task->ended = std::move(ended);
    task->generation = shared_->generation;
    bool spawn = false;
    {
        const std::lock_guard guard(shared_->lock);
        spawn = shared_->maxThreads == unlimited || shared_->busy < shared_->maxThreads;
        if (spawn)
            ++shared_->busy;
        else
            shared_->waiting.push_back(task);
    }
    if (spawn) {
        try {
            std::thread(Shared::runTasks, shared_, task).detach();
        } catch (...) {
            const std::lock_guard guard(shared_->lock);
            --shared_->busy;
            throw;
        }
    }
    ++shared_->unfinished;
    std::erase_if(shared_->started, [](const auto& started) { return started.expired(); });
    shared_->started.push_back(task);
    return Task(std::move(task));
}

void TaskRunner::abandonAll() {
    ++shared_->generation;
    for (const auto& started : shared_->started)
        if (const auto task = started.lock())
            task->stop.request_stop();
    shared_->started.clear();
}

void TaskRunner::close() {
    if (!shared_->open)
        return;
    shared_->open = false;
    std::deque<std::shared_ptr<Task::State>> dropped;
    {
        const std::lock_guard guard(shared_->lock);
        shared_->context = nullptr;
        dropped.swap(shared_->waiting);
    }
    abandonAll();
    shared_->unfinished = 0;
    // A dropped task's work goes here, outside the lock, since what it holds may be anything.
    dropped.clear();
    shared_->idleCondition.notify_all();
}

bool TaskRunner::isIdle() const {
    return shared_->unfinished == 0;
}

bool TaskRunner::waitUntilIdle(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock guard(shared_->lock);
    const auto idle = [this] { return shared_->busy == 0; };
    if (deadline == std::chrono::steady_clock::time_point::max()) {
        shared_->idleCondition.wait(guard, idle);
        return true;
    }
    return shared_->idleCondition.wait_until(guard, deadline, idle);
}

} // namespace clarivex
