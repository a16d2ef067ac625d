#pragma once

#include "core/process/serial_queue.h"
#include "core/process/shell.h"

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace clarivex {

// The long-running ffmpeg that encodes the upscaled frames: PNG files are streamed, in
// order, into its standard input while later frames are still being made. Pipe writes and
// the final wait run on the encoder's own serial thread; the calling thread only waits for
// them. Not thread-safe apart from `kill`, which may be called from any thread.
class PipeEncoder {
public:
    // Starts the process at once; a launch failure raises std::system_error.
    PipeEncoder(const std::filesystem::path& ffmpeg, const std::vector<std::string>& args);
    // Kills and reaps the process if it was neither finished nor reaped yet.
    ~PipeEncoder();
    PipeEncoder(const PipeEncoder&) = delete;
    PipeEncoder& operator=(const PipeEncoder&) = delete;

    // Hands one frame (the bytes of one PNG file) to the encoder and returns once all of it
    // is in the pipe. An encoder that has stopped raises UpscaleError::failed with its own
    // error output.
    void write(std::string_view frame);
    // Closes the input and waits for the encoder's verdict; a non-zero status raises
    // UpscaleError::failed with its error output.
    void finish();
    // Asks the process to terminate and closes the input; never waits and never fails.
    void kill() noexcept;

private:
    void readErrors(std::stop_token stopToken, int errorRead);
    bool running();
    int waitForExit();
    void closeInput() noexcept;
    std::string collectedErrors();
    [[noreturn]] void throwStopped();

    pid_t pid_ = -1;
    std::shared_ptr<Shell::Collected> errors_ = std::make_shared<Shell::Collected>();

    // Guards the process state and the input's descriptor, which `kill` may touch from
    // another thread while a write is blocked.
    std::mutex processLock_;
    bool reaped_ = false;
    int status_ = 0;
    int input_ = -1;
    bool writing_ = false;
    bool closeAfterWrite_ = false;

    std::mutex drainLock_;
    std::condition_variable drained_;
    bool errorsDrained_ = false;

    std::jthread errorReader_;
    // Declared last so that it is destroyed first: no work item outlives the state above.
    std::unique_ptr<SerialQueue> queue_;
};

} // namespace clarivex
