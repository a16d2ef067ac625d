#include "core/pipeline/job_progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using namespace clarivex;
using JobProgress::Step;

TEST(JobProgress, ShareIsClampedToTheBand) {
    const struct {
        double share;
        double fraction;
    } cases[] = {{0, 0.02}, {0.5, 0.47}, {1, 0.92}, {1.7, 0.92}, {-3, 0.02}, {NAN, 0.02}};
    for (const auto& c : cases)
        EXPECT_NEAR(JobProgress::at(Step::upscaling, c.share).fraction, c.fraction, 1e-12)
            << c.share;
}

// Two threads report at once, one of them with fractions that go back; what is passed on never
// does, arrives one report at a time, and nothing is lost.
TEST(JobProgress, MonotonicNeverStepsBackUnderTwoThreads) {
    constexpr int perThread = 20'000;
    std::vector<double> passed;
    std::atomic<bool> inside = false;
    std::atomic<bool> overlapped = false;
    JobProgress::Monotonic monotonic([&](const UpscaleProgress& progress) {
        if (inside.exchange(true))
            overlapped = true;
        passed.push_back(progress.fraction);
        inside = false;
    });
    std::jthread rising([&] {
        for (int index = 0; index < perThread; ++index)
            monotonic({UpscaleProgress::Stage::upscaling, 0.5 * index / perThread, {}});
    });
    std::jthread jumping([&] {
        for (int index = 0; index < perThread; ++index)
            monotonic({UpscaleProgress::Stage::extracting, index % 2 == 0 ? 0.9 : 0.01, {}});
    });
    rising.join();
    jumping.join();
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(passed.size(), 2u * perThread);
    for (std::size_t index = 1; index < passed.size(); ++index)
        ASSERT_LE(passed[index - 1], passed[index]) << index;
    EXPECT_EQ(passed.back(), 0.9);
}
