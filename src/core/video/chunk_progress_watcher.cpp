#include "core/video/chunk_progress_watcher.h"

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

ChunkProgressWatcher::ChunkProgressWatcher(std::filesystem::path outFolder, ProgressCallback report,
                                           std::int64_t doneBefore, std::int64_t count, Plan plan)
    : outFolder_(std::move(outFolder))
    , report_(std::move(report))
    , doneBefore_(doneBefore)
    , count_(count)
    , plan_(std::move(plan))
    , thread_([this](std::stop_token stopToken) { watch(stopToken); }) {}

ChunkProgressWatcher::~ChunkProgressWatcher() {
    thread_.request_stop();
    thread_.join();
}

UpscaleProgress ChunkProgressWatcher::progress(std::int64_t done, std::int64_t count,
                                               const Plan& plan) {
    const double fraction =
        0.08 + 0.84 * static_cast<double>(done) / static_cast<double>(count > 0 ? count : 1);
    return UpscaleProgress{UpscaleProgress::Stage::upscaling, fraction,
                           "Кадр " + std::to_string(done) + " из " + std::to_string(count) + " · " +
                               plan.model + " ×" + std::to_string(plan.esrganScale)};
}

void ChunkProgressWatcher::watch(std::stop_token stopToken) {
    while (!stopToken.stop_requested()) {
        if (report_)
            report_(progress(doneBefore_ + entriesIn(outFolder_), count_, plan_));
        // Wakes early only for a stop request, which the loop condition then sees.
        std::unique_lock guard(lock_);
        wake_.wait_for(guard, stopToken, interval, [] { return false; });
    }
}

} // namespace clarivex
