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
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace clarivex;
using namespace std::chrono_literals;

namespace {

using Deliver = TaskRunner::Deliver;

// Shut until opened; shared with work that may outlive the test's frame.
struct Gate {
    std::promise<void> opener;
    std::shared_future<void> opened = opener.get_future().share();
};

// What reached the main thread, in the order it came; a call off it counts as nothing.
struct Seen {
    const std::thread::id mainThread = std::this_thread::get_id();
    std::vector<std::string> events;

    std::function<void()> note(std::string event) {
        return [this, event = std::move(event)] {
            events.push_back(std::this_thread::get_id() == mainThread ? event : "elsewhere");
        };
    }
    long count(const std::string& event) const {
        return std::count(events.begin(), events.end(), event);
    }
};

} // namespace

TEST(TaskRunner, DeliversOnTheMainThreadInOrderAndTellsEachEndAfterItsResults) {
    for (const int threads : {TaskRunner::unlimited, 1}) {
        SCOPED_TRACE(threads);
        QObject context;
        TaskRunner runner(&context, threads);
        Seen seen;
        for (const std::string task : {"a", "b", "c"})
            runner.start(
                [&seen, task](std::stop_token, const Deliver& deliver) {
                    for (const char* part : {"1", "2", "3"})
                        deliver(seen.note(task + part));
                },
                seen.note(task + "."));
        EXPECT_FALSE(runner.isIdle());
        ASSERT_TRUE(test::settle([&] { return runner.isIdle(); }));
        // One thread takes them in the order started; several interleave them, each in order.
        std::vector<std::string> ordered;
        for (const std::string task : {"a", "b", "c"})
            for (const char* part : {"1", "2", "3", "."})
                ordered.push_back(task + part);
        if (threads != 1)
            std::stable_sort(seen.events.begin(), seen.events.end(),
                             [](const auto& a, const auto& b) { return a[0] < b[0]; });
        EXPECT_EQ(seen.events, ordered);
    }
}

TEST(TaskRunner, RunsNoMoreTasksAtOnceThanItsThreads) {
    QObject context;
    TaskRunner runner(&context, 2);
    auto gate = std::make_shared<Gate>();
    auto running = std::make_shared<std::atomic<int>>(0);
    auto most = std::make_shared<std::atomic<int>>(0);
    for (int task = 0; task < 6; ++task)
        runner.start([gate, running, most](std::stop_token, const Deliver&) {
            const int now = ++*running;
            for (int seen = *most; seen < now && !most->compare_exchange_weak(seen, now);) {
            }
            gate->opened.wait();
            --*running;
        });
    while (*most < 2)
        std::this_thread::yield();
    gate->opener.set_value();
    ASSERT_TRUE(runner.waitUntilIdle(std::chrono::steady_clock::now() + 1min));
    EXPECT_EQ(*most, 2);
}

// How a task is let go of, and whether what it and a task started before deliver still arrives.
TEST(TaskRunner, AStoppedTaskStillDeliversAnAbandonedOrStaleOneOnlyTellsItsEnd) {
    using LetGo = std::function<void(TaskRunner&, const TaskRunner::Task&)>;
    const std::vector<std::tuple<const char*, LetGo, bool, bool>> cases{
        {"stop requested", [](TaskRunner&, const auto& task) { task.requestStop(); }, true, false},
        {"abandoned", [](TaskRunner&, const auto& task) { task.abandon(); }, false, false},
        {"a newer generation", [](TaskRunner& runner, const auto&) { runner.abandonAll(); }, false,
         true},
    };
    for (const auto& [name, letGo, delivers, othersLetGo] : cases) {
        SCOPED_TRACE(name);
        QObject context;
        TaskRunner runner(&context);
        Seen seen;
        const TaskRunner::Task task = runner.start(
            [&seen](std::stop_token stopToken, const Deliver& deliver) {
                std::promise<void> stopped;
                const std::stop_callback onStop(stopToken, [&] { stopped.set_value(); });
                stopped.get_future().wait();
                deliver(seen.note("stopped"));
            },
            seen.note("ended"));
        auto gate = std::make_shared<Gate>();
        auto otherStopped = std::make_shared<std::atomic<bool>>(false);
        runner.start(
            [&seen, gate, otherStopped](std::stop_token stopToken, const Deliver& deliver) {
                gate->opened.wait();
                *otherStopped = stopToken.stop_requested();
                deliver(seen.note("other"));
            });
        letGo(runner, task);
        EXPECT_TRUE(task.stopRequested());
        runner.start(
            [&seen](std::stop_token, const Deliver& deliver) { deliver(seen.note("newer")); });
        gate->opener.set_value();
        ASSERT_TRUE(test::settle([&] { return runner.isIdle(); }));

        EXPECT_EQ(seen.count("stopped"), delivers ? 1 : 0);
        EXPECT_EQ(seen.count("ended"), 1);
        EXPECT_EQ(seen.count("newer"), 1);
        EXPECT_EQ(seen.count("other"), othersLetGo ? 0 : 1);
        EXPECT_EQ(*otherStopped, othersLetGo);
    }
}

TEST(TaskRunner, AWaitEndsAtItsDeadlineWhileATaskIsDeafToItsStop) {
    QObject context;
    TaskRunner runner(&context);
    auto gate = std::make_shared<Gate>();
    runner.start([gate](std::stop_token, const Deliver&) { gate->opened.wait(); });
    runner.abandonAll();
    EXPECT_FALSE(runner.waitUntilIdle(std::chrono::steady_clock::now() + 20ms));
    gate->opener.set_value();
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
        struct Flight : Gate {
            std::promise<void> entered;
            std::promise<bool> ended;
            std::atomic<bool> queuedRan = false;
        };
        auto flight = std::make_shared<Flight>();
        const auto deaf = [flight, &seen](std::stop_token stopToken, const Deliver& deliver) {
            flight->entered.set_value();
            flight->opened.wait();
            deliver(seen.note("late result"));
            flight->ended.set_value(stopToken.stop_requested());
        };
        owner->runner.start(deaf, seen.note("ended"));
        owner->runner.start(
            [flight](std::stop_token, const Deliver&) { flight->queuedRan = true; });
        flight->entered.get_future().wait();
        if (ownerGone)
            owner.reset();
        else
            owner->runner.close();
        flight->opener.set_value();
        EXPECT_TRUE(flight->ended.get_future().get()) << "the work was not told to stop";
        if (!ownerGone) {
            EXPECT_TRUE(owner->runner.waitUntilIdle(std::chrono::steady_clock::now() + 1min));
            EXPECT_TRUE(owner->runner.isIdle());
            // Nothing starts: there is no task to stop.
            const TaskRunner::Task late = owner->runner.start(deaf);
            late.requestStop();
            EXPECT_FALSE(late.stopRequested());
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(seen.events.empty());
        EXPECT_FALSE(flight->queuedRan);
    }
}
