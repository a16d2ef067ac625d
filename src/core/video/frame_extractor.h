#pragma once

#include "core/process/process.h"
#include "core/process/shell.h"
#include "core/video/first_failure.h"
#include "core/video/png_stream.h"
#include "core/video/video_chunk.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace clarivex {

// The ffmpeg that takes a video apart, one chunk at a time: it decodes into a pipe as a stream
// of PNG files, and its own thread writes each frame ("%06d.png", numbered from 1 across the
// whole video, also when the extraction starts later in it) into the folder "chunk-in-" i of
// the chunk it belongs to. It works at most one chunk ahead of the chunk taken last: then it
// stops reading, and the full pipe holds ffmpeg, so the disk holds the chunks taken and not yet
// removed and one more, whatever the video's length.
//
// `next` from one thread (the job's); the observers are called on the extractor's thread.
class FrameExtractor {
public:
    struct Setup {
        std::filesystem::path ffmpeg;
        std::vector<std::string> arguments;
        std::filesystem::path work;
        int chunkSize = defaultChunkSize;
        // A bound on one frame's PNG file, against a stream that is no video.
        std::size_t largestFrame = 0;
        // How many frames of the video come before the first one `arguments` extract.
        std::int64_t firstFrame = 0;
    };
    // Called with the number of the video's frames extracted so far (those before `firstFrame`
    // included), after each frame.
    using FrameObserver = std::function<void(std::int64_t frames)>;

    // Starts ffmpeg on the calling thread, and the thread that reads it. A launch failure
    // raises std::system_error. A failure of the extraction (not a stop) goes to `failures`.
    FrameExtractor(Setup setup, FrameObserver onFrame, FirstFailure& failures);
    // Stops ffmpeg (terminated, killed after the grace period) and reaps it.
    ~FrameExtractor();
    FrameExtractor(const FrameExtractor&) = delete;
    FrameExtractor& operator=(const FrameExtractor&) = delete;

    // The next chunk once all its frames are on disk, nothing after the last one. The caller
    // removes each chunk's input folder before taking the next. Once the extraction has failed,
    // raises the first failure (for the extraction's own: ffmpeg's exit status and last error
    // lines, or "ffmpeg не извлёк ни одного кадра"); raises Cancelled when `stopToken` is
    // stopped first.
    std::optional<VideoChunk> next(std::stop_token stopToken);

    // The video's frames extracted so far (those before `firstFrame` included), and whether that
    // is all of them.
    struct Count {
        std::int64_t frames = 0;
        bool complete = false;
    };
    Count count() const;

private:
    void extract(std::stop_token stopToken);
    void keep(const std::string& file, std::stop_token stopToken);
    void closeChunk();
    VideoChunk chunkAt(std::int64_t index) const;

    Setup setup_;
    FrameObserver onFrame_;
    FirstFailure& failures_;
    Process process_;
    Shell::Collected errors_;
    PngStream stream_;

    mutable std::mutex lock_;
    std::condition_variable_any changed_;
    std::deque<VideoChunk> ready_;
    std::optional<VideoChunk> filling_;
    std::int64_t frames_ = 0;
    bool complete_ = false;
    bool failed_ = false;

    // Declared last so that it ends first: it uses everything above.
    std::jthread thread_;
};

} // namespace clarivex
