#include "core/queue_estimate.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace clarivex;

namespace {

// A queue run by a stand-in whose time is its work at a fixed rate; its progress starts only
// after a twentieth of each job (reading, preparing), as the real pipeline's does.
struct ScriptedQueue {
    static constexpr double rate = 50'000; // work units per second

    std::vector<double> works;
    std::size_t current = 0;
    double startedAt = 0;

    double duration(std::size_t job) const { return works[job] / rate; }
    double trueRemaining(double now) const {
        double left = duration(current) - (now - startedAt);
        for (std::size_t job = current + 1; job < works.size(); ++job)
            left += duration(job);
        return left;
    }
    std::vector<QueueEstimate::Item> items(double now) const {
        std::vector<QueueEstimate::Item> pending;
        for (std::size_t job = current; job < works.size(); ++job) {
            QueueEstimate::Item item{job, works[job]};
            if (job == current) {
                const double share = (now - startedAt) / duration(job);
                item.running = true;
                item.elapsed = now - startedAt;
                item.fraction = std::clamp((share - 0.05) / 0.95, 0.0, 1.0);
            }
            pending.push_back(item);
        }
        return pending;
    }
};

ScriptedQueue mixedQueue() {
    // Photos of 12, 2 and 24 megapixels with the photo model, a 2-megapixel art picture and a
    // 640×360 clip of 240 frames with the video model.
    return {{workOf({4000, 3000}, 1, "realesrgan-x4plus"),
             workOf({1600, 1200}, 1, "realesrgan-x4plus"),
             workOf({1920, 1080}, 1, "realesrgan-x4plus-anime"),
             workOf({640, 360}, 240, "realesr-animevideov3"),
             workOf({6000, 4000}, 1, "realesrgan-x4plus")}};
}

} // namespace

TEST(QueueEstimate, FirstDayLearnsFromTheFirstJobAndNeverJumps) {
    ScriptedQueue queue = mixedQueue();
    QueueEstimate estimate;
    std::optional<double> previous;
    double now = 0;
    bool shownDuringTheFirstJob = false;
    while (queue.current < queue.works.size()) {
        now += 1;
        if (now - queue.startedAt >= queue.duration(queue.current)) {
            estimate.learn(queue.works[queue.current], queue.duration(queue.current));
            queue.startedAt += queue.duration(queue.current);
            ++queue.current;
            if (queue.current == queue.works.size())
                break;
        }
        const auto shown = estimate.update(queue.items(now), now);
        const double truth = queue.trueRemaining(now);
        // Nothing learned yet: no guess until the first job's pace can be measured, then always.
        if (!shown) {
            ASSERT_FALSE(previous) << now;
            ASSERT_EQ(queue.current, 0u) << now;
            continue;
        }
        shownDuringTheFirstJob = shownDuringTheFirstJob || queue.current == 0;
        if (queue.current > 0) {
            EXPECT_LT(std::abs(*shown - truth), 0.2 * truth) << now;
        }
        // Counting down by the second that passed, corrected by at most another second; never
        // up while nothing is added.
        if (previous) {
            EXPECT_LE(*shown, *previous + 1e-9) << now;
            EXPECT_GE(*shown, *previous - 2 - 1e-9) << now;
        }
        previous = shown;
    }
    EXPECT_TRUE(shownDuringTheFirstJob);
    ASSERT_TRUE(estimate.rate());
    EXPECT_NEAR(*estimate.rate(), ScriptedQueue::rate, 1e-6 * ScriptedQueue::rate);
}

TEST(QueueEstimate, SecondDayEstimatesFromTheStartAndAddedJobsCountAtOnce) {
    ScriptedQueue queue = mixedQueue();
    QueueEstimate estimate(ScriptedQueue::rate * 1.1);
    const auto first = estimate.update(queue.items(0), 0);
    ASSERT_TRUE(first);
    EXPECT_LT(std::abs(*first - queue.trueRemaining(0)), 0.2 * queue.trueRemaining(0));

    auto items = queue.items(1);
    const double before = *estimate.update(items, 1);
    items.push_back({99, workOf({4000, 3000}, 1, "realesrgan-x4plus")});
    const double after = *estimate.update(items, 1);
    EXPECT_NEAR(after - before, *items.back().work / (ScriptedQueue::rate * 1.1), 1e-6);
    items.pop_back();
    EXPECT_NEAR(*estimate.update(items, 1), before, 1e-6);
}

TEST(QueueEstimate, NoTimeForWhatCannotBeEstimated) {
    QueueEstimate learned(1000);
    EXPECT_FALSE(learned.update({}, 0)) << "an empty queue";
    EXPECT_FALSE(learned.update({{1, 5000}, {2, std::nullopt}}, 0)) << "a size still unknown";
    EXPECT_TRUE(learned.update({{1, 5000}}, 0));
    QueueEstimate fresh;
    EXPECT_FALSE(fresh.update({{1, 5000, true, 0.01, 10}}, 0)) << "too early to measure";
    // An odd job moves a learned rate only part of the way; nonsense moves nothing.
    learned.learn(4000, 1);
    EXPECT_GT(*learned.rate(), 1000);
    EXPECT_LT(*learned.rate(), 2000);
    const double rate = *learned.rate();
    learned.learn(0, 1);
    learned.learn(100, 0);
    learned.learn(NAN, 3);
    EXPECT_EQ(learned.rate(), rate);
}

// A stored rate is a setting anyone can edit or damage: one that no machine works at is no
// rate, rather than hundreds of digits of hours or nothing left while jobs wait.
TEST(QueueEstimate, OnlyPlausibleRatesCount) {
    for (const double stored : std::initializer_list<double>{1e-300, 5e-324, 1e308, 1e12, 0.5,
                                                             -1000.0, 0.0, INFINITY, NAN}) {
        QueueEstimate estimate(stored);
        EXPECT_FALSE(estimate.rate()) << stored;
        EXPECT_FALSE(estimate.update({{1, 5000}}, 0)) << stored;
    }
    QueueEstimate learned(1000);
    learned.learn(1e300, 1);
    learned.learn(1, 1e300);
    EXPECT_EQ(learned.rate(), 1000);
}
