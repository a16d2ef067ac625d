#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace clarivex::Shell {

// Called for every line a program prints, on the thread that runs the program.
using LineObserver = std::function<void(const std::string& line)>;

// The lines one run has printed: all of standard output, and the last 50 error lines.
// Every member is safe to call from any thread.
class Collected {
public:
    static constexpr std::size_t maxErrorLines = 50;

    void append(std::string line, bool isStdout);
    std::vector<std::string> out() const;
    std::vector<std::string> errLines() const;
    // The last `count` error lines joined with line feeds, oldest first.
    std::string lastErrorLines(std::size_t count) const;

private:
    mutable std::mutex lock_;
    std::vector<std::string> out_;
    std::vector<std::string> errLines_;
};

// Runs `executable` with `arguments` (no shell, no search path), standard input on /dev/null,
// and returns its standard-output lines joined with line feeds. Blocks until the program has
// ended and been reaped. A non-zero exit raises UpscaleError::failed with the last error
// lines; a launch failure raises std::system_error; a stop request terminates the program and
// raises Cancelled once it has ended.
std::string run(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                const LineObserver& onLine, std::stop_token stopToken);

} // namespace clarivex::Shell
