#include "core/process/shell.h"

#include "core/process/process.h"

#include <algorithm>
#include <utility>

namespace clarivex::Shell {

// ---- Collected ----------------------------------------------------------------------------

std::vector<std::string> Collected::feed(std::string_view bytes, bool isStdout) {
    std::lock_guard guard(lock_);
    auto lines = (isStdout ? outSplitter_ : errSplitter_).feed(bytes);
    keep(lines, isStdout);
    return lines;
}

std::vector<std::string> Collected::finish(bool isStdout) {
    std::lock_guard guard(lock_);
    auto lines = (isStdout ? outSplitter_ : errSplitter_).finish();
    keep(lines, isStdout);
    return lines;
}

void Collected::append(std::string line, bool isStdout) {
    std::lock_guard guard(lock_);
    keep({std::move(line)}, isStdout);
}

void Collected::keep(std::vector<std::string> lines, bool isStdout) {
    if (isStdout) {
        for (auto& line : lines) {
            // Once full, nothing more: a gap inside what is kept would pass for the whole.
            const std::size_t cost = line.size() + sizeof(std::string);
            if (outBytes_ + cost > maxOutputBytes) {
                outBytes_ = maxOutputBytes + 1;
                break;
            }
            outBytes_ += cost;
            out_.push_back(std::move(line));
        }
        return;
    }
    errLines_.insert(errLines_.end(), std::make_move_iterator(lines.begin()),
                     std::make_move_iterator(lines.end()));
    if (errLines_.size() > maxErrorLines)
        errLines_.erase(errLines_.begin(), errLines_.end() - maxErrorLines);
}

std::vector<std::string> Collected::out() const {
    std::lock_guard guard(lock_);
    return out_;
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

UpscaleError exitError(const std::string& program, int status, const Collected& collected) {
    return UpscaleError::programExit(program, status,
                                     collected.lastErrorLines(errorLinesInMessage));
}

std::string run(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                const LineObserver& onLine, std::stop_token stopToken) {
    if (stopToken.stop_requested())
        throw Cancelled();

    Process process(executable, arguments, {.output = true, .error = true});
    Collected collected;
    const auto deliver = [&onLine](const std::vector<std::string>& lines) {
        if (onLine) {
            for (const auto& line : lines)
                onLine(line);
        }
    };
    process.read(
        [&](Process::Stream stream, std::string_view bytes) {
            deliver(collected.feed(bytes, stream == Process::Stream::output));
        },
        stopToken);
    deliver(collected.finish(true));
    deliver(collected.finish(false));
    const int status = process.wait();

    if (stopToken.stop_requested())
        throw Cancelled();
    if (status == 0)
        return joinLines(collected.out());
    throw exitError(process.name(), status, collected);
}

} // namespace clarivex::Shell
