#pragma once

#include "core/video/first_failure.h"
#include "core/video/pipe_encoder.h"
#include "core/video/video_chunk.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace clarivex {

// Streams the network's finished chunks into the frame encoder from a thread of its own, in
// order, so that the network can work on the next chunk meanwhile. Each frame file is removed
// once it is in the encoder's pipe, each chunk's output folder once all of it is.
//
// `push` and `finish` from one thread (the job's).
class EncoderFeed {
public:
    // Starts the encoder on the calling thread, and the feeding thread. A failure of the
    // feeding (not a stop) goes to `failures`.
    EncoderFeed(const std::filesystem::path& ffmpeg, const std::vector<std::string>& arguments,
                FirstFailure& failures);
    // Kills the encoder if it was not finished, and waits for the feeding thread.
    ~EncoderFeed();
    EncoderFeed(const EncoderFeed&) = delete;
    EncoderFeed& operator=(const EncoderFeed&) = delete;

    // Queues a chunk whose frames are all in its output folder, and returns once the feeding
    // thread has started on it: a network that is a whole chunk ahead of the encoder waits
    // here, so that at most two chunks of enlarged frames are on disk. Once feeding has failed,
    // raises the first failure (for the feed's own: a missing frame, the encoder's own words);
    // raises Cancelled when `stopToken` is stopped first.
    void push(VideoChunk chunk, std::stop_token stopToken);
    // Waits until every frame is in the encoder, then ends its input and waits for its verdict.
    // A stop request kills the encoder and raises Cancelled.
    void finish(std::stop_token stopToken);

private:
    void feed(std::stop_token stopToken);
    void feedChunk(const VideoChunk& chunk, std::stop_token stopToken);
    void rethrowFailure();

    FirstFailure& failures_;
    PipeEncoder encoder_;
    std::string frame_;

    mutable std::mutex lock_;
    std::condition_variable_any changed_;
    std::deque<VideoChunk> queue_;
    bool closing_ = false;
    bool drained_ = false;
    bool failed_ = false;

    // Declared last so that it ends first: it uses everything above.
    std::jthread thread_;
};

} // namespace clarivex
