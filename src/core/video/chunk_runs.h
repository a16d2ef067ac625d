#pragma once

#include "core/video/video_chunk.h"

#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>

namespace clarivex {

// The chunks that are in the network at once, each run by an engine of its own on a thread of
// its own. The engine spends seconds starting before its first frame, and it takes the list of
// its input files as it starts, so the next chunk's engine can only start once that chunk is
// whole: started while the chunk before computes, its start is hidden behind that work. Chunks
// leave in the order they came, whatever order their engines end in.
//
// Started at the same moment, two engines would start together, compute together on the one
// device, end together, and the next two would again start with nothing computing; so the next
// engine starts only once the one before has begun to compute (waitUntilComputing).
//
// Made, used and destroyed on one thread (the job's); the work runs on the chunks' threads.
class ChunkRuns {
public:
    // Enlarges one chunk and checks it, calling `computing` once the engine has begun to compute
    // (its first frame is out); raises what the network raises. Stops when the token is stopped.
    using Upscale =
        std::function<void(const VideoChunk& chunk, const std::function<void()>& computing,
                           std::stop_token stopToken)>;

    // `stopToken` stops every chunk's work.
    ChunkRuns(Upscale upscale, std::stop_token stopToken);
    // Stops the work of every chunk still here and waits for it.
    ~ChunkRuns();
    ChunkRuns(const ChunkRuns&) = delete;
    ChunkRuns& operator=(const ChunkRuns&) = delete;

    // Starts the network on a chunk whose frames are all on disk.
    void start(VideoChunk chunk);
    std::size_t running() const { return runs_.size(); }
    // Waits until the chunk started last has begun to compute or has ended; at once when none
    // runs. Raises Cancelled when `stopToken` is stopped first.
    void waitUntilComputing(std::stop_token stopToken);
    // Waits for the chunk started first and hands it on, or raises its failure. A later chunk
    // that failed meanwhile keeps its failure until its own turn, so that every chunk before
    // it still reaches the encoder, as it would one chunk at a time.
    VideoChunk finishOldest();

private:
    struct Run;

    Upscale upscale_;
    std::stop_token stopToken_;
    std::deque<std::unique_ptr<Run>> runs_;
};

} // namespace clarivex
