// The run's coalescing: reports from the pipeline's thread reach the main thread newest last,
// and none arrives once the run is finished, whatever is still queued or timed. What a run
// that is destroyed would still deliver is the task runner's to drop.
#include "app/queue/pipeline_run.h"

#include "support/settle.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>

using namespace clarivex;

namespace {

constexpr int reports = 2000;

// Reports 1…`reports` as fast as it can, then keeps reporting the last one until stopped.
UpscaleOutcome reportUntilStopped(UpscaleJob job) {
    for (int count = 1; !job.stopToken.stop_requested(); count = std::min(count + 1, reports))
        job.report(UpscaleProgress{UpscaleProgress::Stage::upscaling, double(count), {}});
    return UpscaleCancelled{};
}

struct Seen {
    std::optional<double> last;
    int count = 0;
    bool ended = false;
};

std::unique_ptr<PipelineRun> start(QObject& context, Seen& seen) {
    return std::make_unique<PipelineRun>(
        &context, UpscaleJob{}, reportUntilStopped,
        [&seen](const UpscaleProgress& progress) {
            // Never an older report after a newer one.
            if (seen.last) {
                EXPECT_GE(progress.fraction, *seen.last);
            }
            seen.last = progress.fraction;
            ++seen.count;
        },
        [&seen] { seen.ended = true; });
}

} // namespace

TEST(PipelineRun, TheNewestReportArrivesAndNothingAfterTheRunIsFinished) {
    QObject context;
    Seen seen;
    auto run = start(context, seen);
    ASSERT_TRUE(test::settle([&] { return seen.last == reports; }));

    const int before = seen.count;
    run->requestStop();
    ASSERT_TRUE(run->waitUntilEnded(std::chrono::steady_clock::now() + std::chrono::seconds(30)));
    EXPECT_TRUE(std::holds_alternative<UpscaleCancelled>(run->finish()));
    // Whatever was queued for the main thread, or waits for the next display frame, is dropped.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(seen.count, before);
    EXPECT_FALSE(seen.ended);
}
