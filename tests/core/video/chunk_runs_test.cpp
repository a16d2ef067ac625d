// Chunks in the network at once, with scripted work in place of the engine: each chunk's work
// waits until the test lets it end, so that any order of ending can be made.
#include "core/video/chunk_runs.h"

#include "core/vocabulary/upscale_error.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

using namespace clarivex;

namespace {

// What each chunk's work does once let go: end, fail, or wait for its stop.
class ScriptedWork {
public:
    enum class End { success, failure, untilStopped };

    ChunkRuns::Upscale upscale() {
        return [this](const VideoChunk& chunk, const std::function<void()>& computing,
                      std::stop_token stopToken) {
            std::unique_lock guard(lock_);
            started_.push_back(chunk.index);
            changed_.notify_all();
            changed_.wait(guard, stopToken, [&] {
                return ends_.contains(chunk.index) || computing_.contains(chunk.index);
            });
            if (computing_.contains(chunk.index))
                computing();
            changed_.wait(guard, stopToken, [&] { return ends_.contains(chunk.index); });
            if (stopToken.stop_requested() &&
                (!ends_.contains(chunk.index) || ends_[chunk.index] == End::untilStopped)) {
                stopped_.push_back(chunk.index);
                throw Cancelled();
            }
            if (ends_[chunk.index] == End::failure)
                throw UpscaleError::frameSkipped(std::to_string(chunk.index));
        };
    }
    void let(std::int64_t index, End end) {
        const std::lock_guard guard(lock_);
        ends_[index] = end;
        changed_.notify_all();
    }
    // The chunk's engine has started and computes.
    void compute(std::int64_t index) {
        const std::lock_guard guard(lock_);
        computing_.insert(index);
        changed_.notify_all();
    }
    void waitForStarts(std::size_t count) {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [&] { return started_.size() >= count; });
    }
    std::vector<std::int64_t> stopped() {
        const std::lock_guard guard(lock_);
        return stopped_;
    }

private:
    std::mutex lock_;
    std::condition_variable_any changed_;
    std::map<std::int64_t, End> ends_;
    std::set<std::int64_t> computing_;
    std::vector<std::int64_t> started_;
    std::vector<std::int64_t> stopped_;
};

VideoChunk chunk(std::int64_t index) {
    return VideoChunk{index, index * 4, {}, {}, {}};
}

} // namespace

// The next engine waits until the one started last computes: no wait with none running, and
// none after the last one ended without computing.
TEST(ChunkRunsTest, WaitsUntilTheChunkStartedLastComputesOrEnds) {
    ScriptedWork work;
    std::stop_source stop;
    ChunkRuns runs(work.upscale(), stop.get_token());
    runs.waitUntilComputing(stop.get_token());
    runs.start(chunk(0));
    std::jthread computes([&] {
        work.waitForStarts(1);
        work.compute(0);
    });
    runs.waitUntilComputing(stop.get_token());
    runs.start(chunk(1));
    work.let(1, ScriptedWork::End::failure);
    runs.waitUntilComputing(stop.get_token());
    work.let(0, ScriptedWork::End::success);
    EXPECT_EQ(runs.finishOldest().index, 0);
    EXPECT_THROW(runs.finishOldest(), UpscaleError);
}

// Chunks leave in the order they came, whatever order they end in: a later chunk that fails
// while the one before still works keeps its failure until its turn, so that the chunk before
// still reaches the encoder; a stop reaches a chunk being waited for.
TEST(ChunkRunsTest, LaterFailureWaitsItsTurnAndAStopReachesEveryChunk) {
    ScriptedWork work;
    std::stop_source stop;
    ChunkRuns runs(work.upscale(), stop.get_token());
    runs.start(chunk(0));
    runs.start(chunk(1));
    work.waitForStarts(2);
    work.let(1, ScriptedWork::End::failure);
    work.let(0, ScriptedWork::End::success);
    EXPECT_EQ(runs.finishOldest().index, 0);
    EXPECT_EQ(test::errorOf([&] { runs.finishOldest(); }), UpscaleError::frameSkipped("1"));

    runs.start(chunk(2));
    runs.start(chunk(3));
    work.waitForStarts(4);
    stop.request_stop();
    EXPECT_THROW(runs.finishOldest(), Cancelled);
    EXPECT_THROW(runs.finishOldest(), Cancelled);
    auto stopped = work.stopped();
    std::ranges::sort(stopped);
    EXPECT_EQ(stopped, (std::vector<std::int64_t>{2, 3}));
}

// Gone before its chunks are finished (another side failed): every chunk's work is stopped and
// waited for.
TEST(ChunkRunsTest, GoingStopsTheChunksStillWorking) {
    ScriptedWork work;
    std::stop_source stop;
    {
        ChunkRuns runs(work.upscale(), stop.get_token());
        runs.start(chunk(0));
        runs.start(chunk(1));
        work.waitForStarts(2);
    }
    auto stopped = work.stopped();
    std::ranges::sort(stopped);
    EXPECT_EQ(stopped, (std::vector<std::int64_t>{0, 1}));
}
