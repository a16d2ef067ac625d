#pragma once

#include "core/process/line_splitter.h"
#include "core/vocabulary/upscale_error.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex::Shell {

// Called for every line a program prints, on the thread that runs the program.
using LineObserver = std::function<void(const std::string& line)>;

// The lines one run has printed: standard output up to `maxOutputBytes` (what a program we
// read answers with is far less; more is a program gone wrong, whose lines are still observed
// but not kept), and the last 50 error lines. The bytes arrive in pieces of any size; `feed` and
// `finish` make lines of them (LineSplitter). Every member is safe to call from any thread.
class Collected {
public:
    static constexpr std::size_t maxErrorLines = 50;
    static constexpr std::size_t maxOutputBytes = 16 * 1024 * 1024;

    // Keeps the lines that a piece of one stream completes, and returns them.
    std::vector<std::string> feed(std::string_view bytes, bool isStdout);
    // At the end of one stream: its unfinished last line, if any, kept and returned.
    std::vector<std::string> finish(bool isStdout);
    void append(std::string line, bool isStdout);
    std::vector<std::string> out() const;
    // The last `count` error lines joined with line feeds, oldest first.
    std::string lastErrorLines(std::size_t count) const;

private:
    void keep(std::vector<std::string> lines, bool isStdout);

    mutable std::mutex lock_;
    LineSplitter outSplitter_;
    LineSplitter errSplitter_;
    std::vector<std::string> out_;
    std::size_t outBytes_ = 0;
    std::vector<std::string> errLines_;
};

// How a program we run fails when it ends with a status other than 0 (run(), the frame
// extractor): UpscaleError::programExit with its name, the status and its last six error lines.
// The encoder is the exception: the frames it was fed are what failed, so it says so itself
// (UpscaleError::encoderExit), with all that it printed.
UpscaleError exitError(const std::string& program, int status, const Collected& collected);

// Runs `executable` with `arguments` (no shell, no search path), standard input on /dev/null,
// and returns its standard-output lines joined with line feeds. Blocks until the program has
// ended and been reaped. A non-zero exit raises exitError; a launch failure raises
// std::system_error; a stop request terminates the program and raises Cancelled once it has ended.
std::string run(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                const LineObserver& onLine, std::stop_token stopToken);

} // namespace clarivex::Shell
