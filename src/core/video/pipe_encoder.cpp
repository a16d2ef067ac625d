#include "core/video/pipe_encoder.h"

#include "core/vocabulary/upscale_error.h"

#include <chrono>

namespace clarivex {

namespace {

// The error output is complete once the pipe reaches its end; a descendant that kept the pipe
// open must not hang the job, so the wait for it is bounded.
constexpr auto errorDrainLimit = std::chrono::seconds(2);

} // namespace

PipeEncoder::PipeEncoder(const std::filesystem::path& ffmpeg, const std::vector<std::string>& args)
    : process_(ffmpeg, args, {.input = true, .error = true})
    , errorReader_([this](std::stop_token stopToken) {
        try {
            process_.read(
                [this](Process::Stream, std::string_view bytes) { errors_.feed(bytes, false); },
                stopToken);
        } catch (const std::exception&) {
            // Without its error output the encoder still works; only its message is poorer.
        }
        errors_.finish(false);
        {
            std::lock_guard guard(drainLock_);
            errorsDrained_ = true;
        }
        drained_.notify_all();
    }) {}

PipeEncoder::~PipeEncoder() {
    // Stopping the reader terminates the process, kills it after the grace period and waits
    // for its end; the process is then reaped with `process_`.
    errorReader_.request_stop();
    errorReader_.join();
}

void PipeEncoder::waitForErrors() {
    std::unique_lock guard(drainLock_);
    drained_.wait_for(guard, errorDrainLimit, [this] { return errorsDrained_; });
}

void PipeEncoder::throwStopped() {
    waitForErrors();
    throw UpscaleError::encoderStopped(errors_.lastErrorLines(Shell::Collected::maxErrorLines));
}

void PipeEncoder::write(std::string_view frame) {
    if (killed_ || process_.hasExited() || !process_.write(frame))
        throwStopped();
}

void PipeEncoder::finish() {
    process_.closeInput();
    process_.waitForExit();
    waitForErrors();
    const int code = process_.wait();
    if (code != 0)
        throw UpscaleError::encoderExit(code,
                                        errors_.lastErrorLines(Shell::Collected::maxErrorLines));
}

void PipeEncoder::kill() noexcept {
    killed_ = true;
    // ffmpeg waiting for input restarts its read after SIGTERM; the end of its input ends it.
    process_.closeInput();
    // The reader terminates the process, and kills one that ignores the request.
    errorReader_.request_stop();
}

} // namespace clarivex
