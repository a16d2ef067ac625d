#include "core/process/shell.h"

#include "core/process/line_splitter.h"
#include "core/process/process.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <utility>

namespace clarivex::Shell {

// ---- Collected ----------------------------------------------------------------------------

void Collected::append(std::string line, bool isStdout) {
    std::lock_guard guard(lock_);
    if (isStdout) {
        out_.push_back(std::move(line));
        return;
    }
    errLines_.push_back(std::move(line));
    if (errLines_.size() > maxErrorLines)
        errLines_.erase(errLines_.begin());
}

std::vector<std::string> Collected::out() const {
    std::lock_guard guard(lock_);
    return out_;
}

std::vector<std::string> Collected::errLines() const {
    std::lock_guard guard(lock_);
    return errLines_;
}

std::string Collected::lastErrorLines(std::size_t count) const {
    std::lock_guard guard(lock_);
    const auto first = errLines_.size() - std::min(count, errLines_.size());
    std::string joined;
    for (auto index = first; index < errLines_.size(); ++index) {
        if (index > first)
            joined += '\n';
        joined += errLines_[index];
    }
    return joined;
}

// ---- run ----------------------------------------------------------------------------------

namespace {

constexpr std::size_t errorLinesInMessage = 6;

std::string joinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (index > 0)
            joined += '\n';
        joined += lines[index];
    }
    return joined;
}

} // namespace

std::string run(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                const LineObserver& onLine, std::stop_token stopToken) {
    if (stopToken.stop_requested())
        throw Cancelled();

    Process process(executable, arguments, {.output = true, .error = true});
    Collected collected;
    LineSplitter outLines;
    LineSplitter errLines;
    const auto deliver = [&](const std::vector<std::string>& lines, bool isStdout) {
        for (const auto& line : lines) {
            collected.append(line, isStdout);
            if (onLine)
                onLine(line);
        }
    };
    process.read(
        [&](Process::Stream stream, std::string_view bytes) {
            const bool isStdout = stream == Process::Stream::output;
            deliver((isStdout ? outLines : errLines).feed(bytes), isStdout);
        },
        stopToken);
    deliver(outLines.finish(), true);
    deliver(errLines.finish(), false);
    const int status = process.wait();

    if (stopToken.stop_requested())
        throw Cancelled();
    if (status == 0)
        return joinLines(collected.out());
    throw UpscaleError::failed(process.name() + " завершился с кодом " + std::to_string(status) +
                               "\n" + collected.lastErrorLines(errorLinesInMessage));
}

} // namespace clarivex::Shell
