#include "core/video/chunk_runs.h"

#include "core/vocabulary/upscale_error.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace clarivex {

struct ChunkRuns::Run {
    VideoChunk chunk;
    std::exception_ptr failure;

    std::mutex lock;
    std::condition_variable_any changed;
    bool computing = false;

    void markComputing() {
        {
            const std::lock_guard guard(lock);
            computing = true;
        }
        changed.notify_all();
    }

    std::jthread thread;
    // Declared after the thread, so that it goes first and never reaches a joined thread.
    std::optional<std::stop_callback<std::function<void()>>> forwardStop;
};

ChunkRuns::ChunkRuns(Upscale upscale, std::stop_token stopToken)
    : upscale_(std::move(upscale))
    , stopToken_(std::move(stopToken)) {}

ChunkRuns::~ChunkRuns() {
    // Every engine is asked to stop before any is waited for, so that they end together.
    for (auto& run : runs_)
        run->thread.request_stop();
    runs_.clear();
}

void ChunkRuns::start(VideoChunk chunk) {
    auto run = std::make_unique<Run>();
    run->chunk = std::move(chunk);
    Run* running = run.get();
    // The thread writes only `failure`, which the job's thread reads after joining it.
    running->thread = std::jthread([this, running](std::stop_token stopToken) {
        try {
            upscale_(
                running->chunk, [running] { running->markComputing(); }, stopToken);
        } catch (...) {
            running->failure = std::current_exception();
        }
        // Ended, computing or not: nothing is waited for any more.
        running->markComputing();
    });
    running->forwardStop.emplace(
        stopToken_, std::function<void()>([running] { running->thread.request_stop(); }));
    runs_.push_back(std::move(run));
}

void ChunkRuns::waitUntilComputing(std::stop_token stopToken) {
    if (runs_.empty())
        return;
    Run& newest = *runs_.back();
    std::unique_lock guard(newest.lock);
    if (!newest.changed.wait(guard, stopToken, [&newest] { return newest.computing; }))
        throw Cancelled();
}

VideoChunk ChunkRuns::finishOldest() {
    std::unique_ptr<Run> run = std::move(runs_.front());
    runs_.pop_front();
    // A stop must still reach the chunk while it is waited for.
    run->thread.join();
    run->forwardStop.reset();
    if (run->failure)
        std::rethrow_exception(run->failure);
    return std::move(run->chunk);
}

} // namespace clarivex
