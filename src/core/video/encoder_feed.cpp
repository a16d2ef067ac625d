#include "core/video/encoder_feed.h"

#include "core/vocabulary/upscale_error.h"

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clarivex {

namespace {

constexpr auto settleInterval = std::chrono::milliseconds(50);

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

EncoderFeed::EncoderFeed(Setup setup, PartFolder& parts, FirstFailure& failures)
    : setup_(std::move(setup))
    , parts_(parts)
    , failures_(failures)
    , thread_([this](std::stop_token stopToken) { feed(stopToken); }) {}

EncoderFeed::~EncoderFeed() {
    {
        // A write blocked on a stuck encoder only ends with the encoder.
        const std::lock_guard guard(encodersLock_);
        stopping_ = true;
        for (auto* open : {current_.get(), finishing_.get()})
            if (open)
                open->encoder.kill();
    }
    thread_.request_stop();
    thread_.join();
}

void EncoderFeed::startSegment(std::int64_t firstFrame) {
    const std::filesystem::path file = parts_.segmentFile(firstFrame);
    std::unique_ptr<OpenSegment> open(
        new OpenSegment{PipeEncoder(setup_.ffmpeg, setup_.arguments(file)),
                        PartManifest::Segment{file.filename().string(), firstFrame, 0, 0}});
    const std::lock_guard guard(encodersLock_);
    if (stopping_)
        open->encoder.kill();
    current_ = std::move(open);
}

// The segment under way gets no more frames; its encoder finishes while the next one starts.
void EncoderFeed::endSegment() {
    if (!current_)
        return;
    if (finishing_)
        settle(finishing_);
    current_->encoder.endInput();
    const std::lock_guard guard(encodersLock_);
    finishing_ = std::move(current_);
}

void EncoderFeed::settle(std::unique_ptr<OpenSegment>& open) {
    open->encoder.finish();
    PartManifest::Segment segment = open->segment;
    segment.bytes = static_cast<std::int64_t>(
        std::filesystem::file_size(parts_.segmentFile(segment.firstFrame)));
    parts_.record(segment);
    const std::lock_guard guard(encodersLock_);
    open.reset();
}

void EncoderFeed::feedChunk(const VideoChunk& chunk, std::stop_token stopToken) {
    std::int64_t frame = chunk.firstFrame;
    for (const std::string& name : chunk.frames) {
        if (stopToken.stop_requested())
            return;
        const auto file = chunk.out / name;
        if (!readWholeFile(file, frame_))
            throw UpscaleError::frameSkipped(name);
        if (!current_)
            startSegment(frame);
        current_->encoder.write(frame_);
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        ++frame;
        if (++current_->segment.frames == setup_.segmentFrames)
            endSegment();
        // Recorded as soon as it is finished, so that an interruption loses as little as can be.
        if (finishing_ && finishing_->encoder.hasExited())
            settle(finishing_);
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
                const auto ready = [this] { return !queue_.empty() || closing_ || salvaging_; };
                // While the network works on the next chunk, the segment before is recorded as
                // soon as its encoder is done, not only when more frames come.
                while (finishing_ && !ready() && !stopToken.stop_requested()) {
                    if (finishing_->encoder.hasExited()) {
                        guard.unlock();
                        settle(finishing_);
                        guard.lock();
                    } else {
                        changed_.wait_for(guard, stopToken, settleInterval, ready);
                    }
                }
                changed_.wait(guard, stopToken, ready);
                if (stopToken.stop_requested())
                    break;
                if (queue_.empty()) {
                    const bool whole = !salvaging_;
                    guard.unlock();
                    if (whole)
                        endSegment();
                    if (finishing_)
                        settle(finishing_);
                    guard.lock();
                    drained_ = true;
                    break;
                }
                chunk = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            feedChunk(chunk, stopToken);
        }
    } catch (...) {
        failures_.record(std::current_exception());
        std::lock_guard guard(lock_);
        failed_ = true;
    }
    changed_.notify_all();
    // Unfinished segments end here, on the thread that started their encoders.
    std::unique_ptr<OpenSegment> current;
    std::unique_ptr<OpenSegment> finishing;
    {
        const std::lock_guard guard(encodersLock_);
        current = std::move(current_);
        finishing = std::move(finishing_);
    }
    for (auto* open : {current.get(), finishing.get()})
        if (open)
            open->encoder.kill();
}

void EncoderFeed::salvage(std::stop_token stopToken) {
    std::unique_lock guard(lock_);
    salvaging_ = true;
    changed_.notify_all();
    changed_.wait(guard, stopToken, [this] { return drained_ || failed_; });
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
    std::unique_lock guard(lock_);
    closing_ = true;
    changed_.notify_all();
    changed_.wait(guard, stopToken, [this] { return drained_ || failed_; });
    rethrowFailure();
    if (!drained_)
        throw Cancelled();
}

} // namespace clarivex
