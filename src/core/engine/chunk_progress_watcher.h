#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace clarivex {

// Counts, every 0.4 s from its own thread, the frames the network has written into one chunk's
// output folder, and hands the count on. The network gives no per-frame progress for a folder,
// so its output folder is the only measure. Stops (and joins) when destroyed, so no count
// follows the end of its chunk, whichever way the chunk ends.
class ChunkProgressWatcher {
public:
    using CountObserver = std::function<void(std::int64_t framesWritten)>;

    ChunkProgressWatcher(std::filesystem::path outFolder, CountObserver onCount);
    ~ChunkProgressWatcher();
    ChunkProgressWatcher(const ChunkProgressWatcher&) = delete;
    ChunkProgressWatcher& operator=(const ChunkProgressWatcher&) = delete;

private:
    void watch(std::stop_token stopToken);

    std::filesystem::path outFolder_;
    CountObserver onCount_;
    std::mutex lock_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

} // namespace clarivex
