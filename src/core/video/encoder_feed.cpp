#include "core/video/encoder_feed.h"

#include "core/vocabulary/upscale_error.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clarivex {

namespace {

// Whole file into `bytes`, reusing its storage from frame to frame.
bool readWholeFile(const std::filesystem::path& file, std::string& bytes) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat info {};
    bool complete = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    if (complete) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::read(descriptor, bytes.data() + done, bytes.size() - done);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                complete = false;
                break;
            }
            done += static_cast<std::size_t>(count);
        }
    }
    ::close(descriptor);
    return complete;
}

} // namespace

EncoderFeed::EncoderFeed(const std::filesystem::path& ffmpeg,
                         const std::vector<std::string>& arguments, FirstFailure& failures)
    : failures_(failures)
    , encoder_(ffmpeg, arguments)
    , thread_([this](std::stop_token stopToken) { feed(stopToken); }) {}

EncoderFeed::~EncoderFeed() {
    // A write blocked on a stuck encoder only ends with the encoder.
    encoder_.kill();
    thread_.request_stop();
    thread_.join();
}

void EncoderFeed::feedChunk(const VideoChunk& chunk, std::stop_token stopToken) {
    for (const std::string& name : chunk.frames) {
        if (stopToken.stop_requested())
            return;
        const auto file = chunk.out / name;
        if (!readWholeFile(file, frame_))
            throw UpscaleError::failed("ESRGAN пропустил кадр " + name);
        encoder_.write(frame_);
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    std::error_code ignored;
    std::filesystem::remove_all(chunk.out, ignored);
}

void EncoderFeed::feed(std::stop_token stopToken) {
    try {
        while (true) {
            VideoChunk chunk;
            {
                std::unique_lock guard(lock_);
                changed_.wait(guard, stopToken, [this] { return !queue_.empty() || closing_; });
                if (stopToken.stop_requested())
                    return;
                if (queue_.empty())
                    break;
                chunk = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            feedChunk(chunk, stopToken);
        }
        {
            std::lock_guard guard(lock_);
            drained_ = true;
        }
    } catch (...) {
        failures_.record(std::current_exception());
        std::lock_guard guard(lock_);
        failed_ = true;
    }
    changed_.notify_all();
}

void EncoderFeed::rethrowFailure() {
    if (failed_)
        std::rethrow_exception(failures_.first());
}

void EncoderFeed::push(VideoChunk chunk, std::stop_token stopToken) {
    std::unique_lock guard(lock_);
    rethrowFailure();
    queue_.push_back(std::move(chunk));
    changed_.notify_all();
    changed_.wait(guard, stopToken, [this] { return queue_.empty() || failed_; });
    rethrowFailure();
    if (!queue_.empty())
        throw Cancelled();
}

void EncoderFeed::finish(std::stop_token stopToken) {
    {
        std::unique_lock guard(lock_);
        closing_ = true;
        changed_.notify_all();
        changed_.wait(guard, stopToken, [this] { return drained_ || failed_; });
        rethrowFailure();
        if (!drained_)
            throw Cancelled();
    }
    // The encoder may still hold many frames; a stop while it works through them ends it
    // rather than making the user wait for an encode that will be thrown away.
    const std::stop_callback stopEncoding(stopToken, [this] { encoder_.kill(); });
    try {
        encoder_.finish();
    } catch (...) {
        if (stopToken.stop_requested())
            throw Cancelled();
        throw;
    }
    if (stopToken.stop_requested())
        throw Cancelled();
}

} // namespace clarivex
