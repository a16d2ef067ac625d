#pragma once

#include "core/video/first_failure.h"
#include "core/video/part_folder.h"
#include "core/video/pipe_encoder.h"
#include "core/video/video_chunk.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace clarivex {

// Streams the network's finished chunks, in order, into the encode of a video from a thread of
// its own, so that the network can work on the next chunk meanwhile. The encode is a series of
// self-contained segments of a fixed number of frames, each written by an encoder of its own
// into the part folder and recorded there as soon as it is finished: an interrupted run loses
// at most the segment under way, and every segment is the same whether the video was made in
// one run or continued by another. Each frame file is removed once it is in an encoder's pipe,
// each chunk's output folder once all of it is.
//
// `push` and `finish` from one thread (the job's).
class EncoderFeed {
public:
    struct Setup {
        std::filesystem::path ffmpeg;
        // The encoder's arguments for a segment written into the given file.
        std::function<std::vector<std::string>(const std::filesystem::path& file)> arguments;
        std::int64_t segmentFrames = 1;
    };

    // Starts the feeding thread. A failure of the feeding (not a stop) goes to `failures`.
    EncoderFeed(Setup setup, PartFolder& parts, FirstFailure& failures);
    // Kills the encoders of unfinished segments, and waits for the feeding thread.
    ~EncoderFeed();
    EncoderFeed(const EncoderFeed&) = delete;
    EncoderFeed& operator=(const EncoderFeed&) = delete;

    // Queues a chunk whose frames are all in its output folder, and returns once the feeding
    // thread has started on it: a network that is a whole chunk ahead of the encoder waits
    // here, so that the enlarged frames on disk are the chunk being encoded and those the
    // network is writing. Once feeding has failed,
    // raises the first failure (for the feed's own: a missing frame, an encoder's own words);
    // raises Cancelled when `stopToken` is stopped first.
    void push(VideoChunk chunk, std::stop_token stopToken);
    // Waits until every frame is encoded and every segment finished and recorded.
    void finish(std::stop_token stopToken);
    // After a failure elsewhere: encodes the chunks queued so far, finishes and records every
    // whole segment and drops the one under way, so that the next run loses nothing that was
    // done. Raises nothing; a stop request ends the wait.
    void salvage(std::stop_token stopToken);

private:
    // A segment whose encoder is still running.
    struct OpenSegment {
        PipeEncoder encoder;
        PartManifest::Segment segment;
    };

    void feed(std::stop_token stopToken);
    void feedChunk(const VideoChunk& chunk, std::stop_token stopToken);
    void startSegment(std::int64_t firstFrame);
    void endSegment();
    void settle(std::unique_ptr<OpenSegment>& open);
    void rethrowFailure();

    Setup setup_;
    PartFolder& parts_;
    FirstFailure& failures_;
    std::string frame_;

    // Guards the two segments' places against the killing in the destructor; the feeding
    // thread alone starts, finishes and destroys the encoders (a child is reaped by the thread
    // that started it).
    std::mutex encodersLock_;
    bool stopping_ = false;
    // The segment frames are written into, and the one before it while its encoder finishes.
    std::unique_ptr<OpenSegment> current_;
    std::unique_ptr<OpenSegment> finishing_;

    mutable std::mutex lock_;
    std::condition_variable_any changed_;
    std::deque<VideoChunk> queue_;
    bool closing_ = false;
    bool salvaging_ = false;
    bool drained_ = false;
    bool failed_ = false;

    // Declared last so that it ends first: it uses everything above.
    std::jthread thread_;
};

} // namespace clarivex
