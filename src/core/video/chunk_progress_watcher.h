#pragma once

#include "core/vocabulary/plan.h"
#include "core/vocabulary/upscale_progress.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <thread>

namespace clarivex {

// Reports the upscaling of one chunk of video frames every 0.4 s, counting the frames the
// engine has written so far, from its own thread. The engine gives no per-frame progress for
// a folder, so its output folder is the only measure. Stops (and joins) when destroyed, so no
// report follows the end of its chunk, whichever way the chunk ends.
class ChunkProgressWatcher {
public:
    ChunkProgressWatcher(std::filesystem::path outFolder, ProgressCallback report,
                         std::int64_t doneBefore, std::int64_t count, Plan plan);
    ~ChunkProgressWatcher();
    ChunkProgressWatcher(const ChunkProgressWatcher&) = delete;
    ChunkProgressWatcher& operator=(const ChunkProgressWatcher&) = delete;

    static UpscaleProgress progress(std::int64_t done, std::int64_t count, const Plan& plan);

private:
    void watch(std::stop_token stopToken);

    std::filesystem::path outFolder_;
    ProgressCallback report_;
    std::int64_t doneBefore_;
    std::int64_t count_;
    Plan plan_;
    std::mutex lock_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

} // namespace clarivex
