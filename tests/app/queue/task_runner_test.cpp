// The one way the window's model runs work off the main thread: results on the main thread, in
// order, never from a task that was abandoned or outlived its owner, and no wait that a task
// deaf to its stop can stretch. Run under ThreadSanitizer as well.
#include "app/queue/task_runner.h"

#include "support/settle.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace clarivex;
using namespace std::chrono_literals;

namespace {

// Shut until opened; shared with work that may outlive the test's frame.
class Gate {
public:
    void open() {
        const std::lock_guard guard(lock_);
        open_ = true;
        condition_.notify_all();
    }
    // Waits until opened, or also until the token is stopped; true when opened.
    bool wait(std::stop_token stopToken = {}) {
        std::unique_lock guard(lock_);
        condition_.wait(guard, stopToken, [this] { return open_; });
        return open_;
    }

private:
    std::mutex lock_;
    std::condition_variable_any condition_;
    bool open_ = false;
};

// What reached the main thread, in the order it came.
struct Seen {
    std::vector<std::string> events;
    bool offMainThread = false;

    std::function<void()> note(std::string event) {
        return [this, event = std::move(event)] {
            offMainThread |= std::this_thread::get_id() != mainThread;
            events.push_back(event);
        };
    }
    const std::thread::id mainThread = std::this_thread::get_id();
};

void drainEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

} // namespace

TEST(TaskRunner, DeliversOnTheMainThreadInOrderAndTellsEachEndAfterItsResults) {
    for (const int threads : {TaskRunner::unlimited, 1}) {
        SCOPED_TRACE(threads);
        QObject context;
        TaskRunner runner(&context, threads);
        Seen seen;
        for (const std::string task : {"a", "b", "c"}) {
            runner.start(
                [&seen, task](std::stop_token, const TaskRunner::Deliver& deliver) {
                    for (const char* part : {"1", "2", "3"})
                        deliver(seen.note(task + part));
                },
                seen.note(task + " ended"));
        }
        EXPECT_FALSE(runner.isIdle());
        ASSERT_TRUE(test::settle([&] { return runner.isIdle(); }));
        EXPECT_FALSE(seen.offMainThread);
        ASSERT_EQ(seen.events.size(), 12u);
        if (threads == 1) {
            EXPECT_EQ(seen.events,
                      (std::vector<std::string>{"a1", "a2", "a3", "a ended", "b1", "b2", "b3",
                                                "b ended", "c1", "c2", "c3", "c ended"}));
        }
        for (const std::string task : {"a", "b", "c"}) {
            std::vector<std::string> own;
            for (const auto& event : seen.events)
                if (event.starts_with(task))
                    own.push_back(event);
            EXPECT_EQ(own, (std::vector<std::string>{task + "1", task + "2", task + "3",
                                                     task + " ended"}));
        }
        EXPECT_TRUE(runner.waitUntilIdle(std::chrono::steady_clock::time_point::max()));
    }
}

TEST(TaskRunner, RunsNoMoreTasksAtOnceThanItsThreads) {
    QObject context;
    TaskRunner runner(&context, 2);
    struct Count {
        std::mutex lock;
        std::condition_variable changed;
        int running = 0;
        int most = 0;
        int ran = 0;
    };
    auto count = std::make_shared<Count>();
    auto gate = std::make_shared<Gate>();
    for (int task = 0; task < 6; ++task) {
        runner.start([count, gate](std::stop_token, const TaskRunner::Deliver&) {
            {
                const std::lock_guard guard(count->lock);
                count->most = std::max(count->most, ++count->running);
                ++count->ran;
                count->changed.notify_all();
            }
            gate->wait();
            const std::lock_guard guard(count->lock);
            --count->running;
        });
    }
    {
        std::unique_lock guard(count->lock);
        count->changed.wait(guard, [&] { return count->running == 2; });
    }
    gate->open();
    ASSERT_TRUE(runner.waitUntilIdle(std::chrono::steady_clock::now() + 1min));
    EXPECT_EQ(count->most, 2);
    EXPECT_EQ(count->ran, 6);
}

// How a task is let go of, and whether what it and the others started before deliver still
// arrives.
TEST(TaskRunner, AStoppedTaskStillDeliversAnAbandonedOrStaleOneOnlyTellsItsEnd) {
    struct Case {
        const char* name;
        std::function<void(TaskRunner&, const TaskRunner::Task&)> letGo;
        bool delivers;
        bool othersLetGo;
    };
    const std::vector<Case> cases{
        {"stop requested", [](TaskRunner&, const TaskRunner::Task& task) { task.requestStop(); },
         true, false},
        {"abandoned", [](TaskRunner&, const TaskRunner::Task& task) { task.abandon(); }, false,
         false},
        {"a newer generation",
         [](TaskRunner& runner, const TaskRunner::Task&) { runner.abandonAll(); }, false, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        QObject context;
        TaskRunner runner(&context);
        Seen seen;
        auto never = std::make_shared<Gate>();
        const TaskRunner::Task task = runner.start(
            [&seen, never](std::stop_token stopToken, const TaskRunner::Deliver& deliver) {
                deliver(seen.note(never->wait(stopToken) ? "opened" : "stopped"));
            },
            seen.note("ended"));
        auto other = std::make_shared<Gate>();
        auto otherStopped = std::make_shared<std::atomic<bool>>(false);
        runner.start([&seen, other, otherStopped](std::stop_token stopToken,
                                                  const TaskRunner::Deliver& deliver) {
            other->wait();
            *otherStopped = stopToken.stop_requested();
            deliver(seen.note("other"));
        });
        row.letGo(runner, task);
        EXPECT_TRUE(task.stopRequested());
        runner.start([&seen](std::stop_token, const TaskRunner::Deliver& deliver) {
            deliver(seen.note("newer"));
        });
        other->open();
        ASSERT_TRUE(test::settle([&] { return runner.isIdle(); }));

        std::vector<std::string> own;
        std::copy_if(seen.events.begin(), seen.events.end(), std::back_inserter(own),
                     [](const std::string& event) { return event != "other" && event != "newer"; });
        const std::vector<std::string> expected = row.delivers
                                                      ? std::vector<std::string>{"stopped", "ended"}
                                                      : std::vector<std::string>{"ended"};
        EXPECT_EQ(own, expected);
        EXPECT_EQ(std::count(seen.events.begin(), seen.events.end(), "newer"), 1);
        EXPECT_EQ(std::count(seen.events.begin(), seen.events.end(), "other"),
                  row.othersLetGo ? 0 : 1);
        EXPECT_EQ(*otherStopped, row.othersLetGo);
    }
}

TEST(TaskRunner, AWaitEndsAtItsDeadlineWhileATaskIsDeafToItsStop) {
    QObject context;
    TaskRunner runner(&context);
    auto gate = std::make_shared<Gate>();
    auto entered = std::make_shared<std::promise<void>>();
    runner.start([gate, entered](std::stop_token, const TaskRunner::Deliver&) {
        entered->set_value();
        gate->wait();
    });
    entered->get_future().wait();
    runner.abandonAll();
    EXPECT_FALSE(runner.waitUntilIdle(std::chrono::steady_clock::now() + 20ms));
    EXPECT_FALSE(runner.waitUntilIdle(std::chrono::steady_clock::now()));
    gate->open();
    EXPECT_TRUE(runner.waitUntilIdle(std::chrono::steady_clock::now() + 1min));
}

// An owner that goes while its work runs: the work is told to stop and goes on alone, nothing
// reaches the main thread afterwards, and what waited for a thread never starts.
TEST(TaskRunner, NothingArrivesOnceTheRunnerIsClosedOrItsOwnerGone) {
    struct Owner : QObject {
        TaskRunner runner{this, 1};
    };
    for (const bool ownerGone : {false, true}) {
        SCOPED_TRACE(ownerGone ? "owner gone" : "closed");
        auto owner = std::make_unique<Owner>();
        Seen seen;
        struct Flight {
            Gate gate;
            std::promise<void> entered;
            std::promise<bool> ended;
            std::atomic<bool> queuedRan = false;
        };
        auto flight = std::make_shared<Flight>();
        const auto inFlight = [flight, &seen](std::stop_token stopToken,
                                              const TaskRunner::Deliver& deliver) {
            flight->entered.set_value();
            // Deaf to the stop: it goes on after its owner has gone, and still delivers.
            flight->gate.wait();
            deliver(seen.note("late result"));
            flight->ended.set_value(stopToken.stop_requested());
        };
        owner->runner.start(inFlight, seen.note("ended"));
        owner->runner.start(
            [flight](std::stop_token, const TaskRunner::Deliver&) { flight->queuedRan = true; });
        flight->entered.get_future().wait();
        if (ownerGone)
            owner.reset();
        else
            owner->runner.close();
        flight->gate.open();
        EXPECT_TRUE(flight->ended.get_future().get()) << "the work was not told to stop";
        if (!ownerGone) {
            EXPECT_TRUE(owner->runner.waitUntilIdle(std::chrono::steady_clock::now() + 1min));
            EXPECT_TRUE(owner->runner.isIdle());
            // Nothing starts: there is no task to stop.
            const TaskRunner::Task late = owner->runner.start(inFlight);
            late.requestStop();
            EXPECT_FALSE(late.stopRequested());
        }
        drainEvents();
        EXPECT_TRUE(seen.events.empty());
        EXPECT_FALSE(flight->queuedRan);
    }
}
