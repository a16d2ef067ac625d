#include "core/engine/chunk_progress_watcher.h"

#include <chrono>

namespace clarivex {

namespace {

constexpr auto interval = std::chrono::milliseconds(400);

// An unreadable or not yet created folder counts as no frames finished.
std::int64_t entriesIn(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    std::int64_t count = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error))
        ++count;
    return count;
}

} // namespace

ChunkProgressWatcher::ChunkProgressWatcher(std::filesystem::path outFolder, CountObserver onCount)
    : outFolder_(std::move(outFolder))
    , onCount_(std::move(onCount))
    , thread_([this](std::stop_token stopToken) { watch(stopToken); }) {}

ChunkProgressWatcher::~ChunkProgressWatcher() {
    thread_.request_stop();
    thread_.join();
}

void ChunkProgressWatcher::watch(std::stop_token stopToken) {
    while (!stopToken.stop_requested()) {
        onCount_(entriesIn(outFolder_));
        // Wakes early only for a stop request, which the loop condition then sees.
        std::unique_lock guard(lock_);
        wake_.wait_for(guard, stopToken, interval, [] { return false; });
    }
}

} // namespace clarivex
