#include "core/video/frame_extractor.h"

#include "core/vocabulary/upscale_error.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace clarivex {

namespace {

std::string frameName(std::int64_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(number));
    return name;
}

void writeNewFile(const std::filesystem::path& file, std::string_view bytes) {
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0)
        throw UpscaleError::operationFailed(UpscaleError::Operation::writeFrame, file, errno);
    std::size_t written = 0;
    int failure = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            failure = errno;
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    if (::close(descriptor) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
        throw UpscaleError::operationFailed(UpscaleError::Operation::writeFrame, file, failure);
}

} // namespace

FrameExtractor::FrameExtractor(Setup setup, FrameObserver onFrame, FirstFailure& failures)
    : setup_(std::move(setup))
    , onFrame_(std::move(onFrame))
    , failures_(failures)
    , process_(setup_.ffmpeg, setup_.arguments, {.output = true, .error = true})
    , stream_(setup_.largestFrame)
    , frames_(setup_.firstFrame)
    , thread_([this](std::stop_token stopToken) { extract(stopToken); }) {}

FrameExtractor::~FrameExtractor() {
    thread_.request_stop();
    thread_.join();
}

VideoChunk FrameExtractor::chunkAt(std::int64_t index) const {
    // The network resolves relative paths against its own folder, not ours.
    const auto folder = std::filesystem::absolute(setup_.work);
    const std::string number = std::to_string(index);
    return VideoChunk{index,
                      setup_.firstFrame + index * setup_.chunkSize,
                      {},
                      folder / ("chunk-in-" + number),
                      folder / ("chunk-out-" + number)};
}

void FrameExtractor::keep(const std::string& file, std::stop_token stopToken) {
    if (!filling_) {
        // A new chunk starts only once the one before it has been taken.
        std::unique_lock guard(lock_);
        changed_.wait(guard, stopToken, [this] { return ready_.empty(); });
        if (stopToken.stop_requested())
            return;
        const auto index = (frames_ - setup_.firstFrame) / setup_.chunkSize;
        guard.unlock();
        filling_ = chunkAt(index);
        std::filesystem::create_directories(filling_->in);
    }
    std::int64_t frames = 0;
    {
        std::lock_guard guard(lock_);
        frames = frames_ + 1;
    }
    const std::string name = frameName(frames);
    writeNewFile(filling_->in / name, file);
    filling_->frames.push_back(name);
    {
        std::lock_guard guard(lock_);
        frames_ = frames;
    }
    if (onFrame_)
        onFrame_(frames);
    if (static_cast<int>(filling_->frames.size()) == setup_.chunkSize)
        closeChunk();
}

void FrameExtractor::closeChunk() {
    if (!filling_)
        return;
    {
        std::lock_guard guard(lock_);
        ready_.push_back(std::move(*filling_));
    }
    filling_.reset();
    changed_.notify_all();
}

void FrameExtractor::extract(std::stop_token stopToken) {
    try {
        process_.read(
            [&](Process::Stream stream, std::string_view bytes) {
                if (stream == Process::Stream::error) {
                    errors_.feed(bytes, false);
                    return;
                }
                for (const std::string& file : stream_.feed(bytes)) {
                    if (stopToken.stop_requested())
                        return;
                    keep(file, stopToken);
                }
            },
            stopToken);
        errors_.finish(false);
        const int status = process_.wait();
        if (stopToken.stop_requested())
            return;
        if (status != 0)
            throw Shell::exitError(process_.name(), status, errors_);
        if (stream_.hasPartialFile())
            throw UpscaleError::of(UpscaleError::Case::cutFrame);
        closeChunk();
        std::lock_guard guard(lock_);
        // A run that continues may find every frame done before, but a run from the start must
        // find some.
        if (frames_ == 0)
            throw UpscaleError::of(UpscaleError::Case::noFrames);
        complete_ = true;
    } catch (...) {
        failures_.record(std::current_exception());
        std::lock_guard guard(lock_);
        failed_ = true;
    }
    changed_.notify_all();
}

std::optional<VideoChunk> FrameExtractor::next(std::stop_token stopToken) {
    std::unique_lock guard(lock_);
    changed_.wait(guard, stopToken, [this] { return !ready_.empty() || complete_ || failed_; });
    if (!ready_.empty()) {
        VideoChunk chunk = std::move(ready_.front());
        ready_.pop_front();
        guard.unlock();
        changed_.notify_all();
        return chunk;
    }
    if (failed_)
        std::rethrow_exception(failures_.first());
    if (complete_)
        return std::nullopt;
    throw Cancelled();
}

FrameExtractor::Count FrameExtractor::count() const {
    std::lock_guard guard(lock_);
    return Count{frames_, complete_};
}

} // namespace clarivex
