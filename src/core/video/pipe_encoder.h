#pragma once

#include "core/process/process.h"
#include "core/process/shell.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace clarivex {

// The long-running ffmpeg that encodes the upscaled frames: PNG files are streamed, in order,
// into its standard input while later frames are still being made. `write` and `finish` block
// the calling thread (the video path's feeding thread), one call at a time; `kill` may be
// called from any thread.
class PipeEncoder {
public:
    // Starts the process at once; a launch failure raises std::system_error.
    PipeEncoder(const std::filesystem::path& ffmpeg, const std::vector<std::string>& args);
    // Stops and reaps the process if it was not finished yet.
    ~PipeEncoder();
    PipeEncoder(const PipeEncoder&) = delete;
    PipeEncoder& operator=(const PipeEncoder&) = delete;

    // Hands one frame (the bytes of one PNG file) to the encoder and returns once all of it is
    // in the pipe. An encoder that has stopped or been killed raises UpscaleError::failed with
    // its own error output.
    void write(std::string_view frame);
    // Closes the input and waits for the encoder's verdict; a non-zero status raises what every
    // program we run raises then (Shell::exitError).
    void finish();
    // Closes the input without waiting: the encoder then works through what it holds, and
    // `finish` only waits for its verdict.
    void endInput() noexcept { process_.closeInput(); }
    // Whether the process has ended, so that `finish` returns at once.
    bool hasExited() const noexcept { return process_.hasExited(); }
    // Asks the process to terminate (killed after the grace period), which also ends a write
    // blocked on it; never waits.
    void kill() noexcept;

private:
    // Until the error output has reached its end, or a bounded while.
    void waitForErrors();
    [[noreturn]] void throwStopped();

    Process process_;
    Shell::Collected errors_;
    std::atomic<bool> killed_ = false;

    std::mutex drainLock_;
    std::condition_variable drained_;
    bool errorsDrained_ = false;

    // Declared last so that it ends first: it reads the process's error stream.
    std::jthread errorReader_;
};

} // namespace clarivex
