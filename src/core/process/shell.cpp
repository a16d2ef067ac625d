#include "core/process/shell.h"

#include "core/process/child_spawn.h"
#include "core/process/line_splitter.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

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

using Clock = std::chrono::steady_clock;

// A program that ignores the polite request still has to go, or cancelling would never end.
constexpr auto terminationGrace = std::chrono::seconds(5);
constexpr std::size_t errorLinesInMessage = 6;
// Only when the kernel offers no process descriptor do we look for the exit this often.
constexpr int exitCheckIntervalMs = 50;

[[noreturn]] void throwErrno(int code, const std::string& what) {
    throw std::system_error(code, std::system_category(), what);
}

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;

    // Close-on-exec, so that programs started by other threads meanwhile do not inherit it and
    // keep it open past our child's end.
    static Pipe make() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throwErrno(errno, "pipe");
        return {FileDescriptor(ends[0]), FileDescriptor(ends[1])};
    }
};

// A started program that has not been reaped yet. Whatever way we leave `run`, the destructor
// makes sure no zombie and no orphan is left behind.
class Child {
public:
    explicit Child(pid_t pid)
        : pid_(pid) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (reaped_)
            return;
        ::kill(pid_, SIGKILL);
        waitFor();
    }

    pid_t pid() const { return pid_; }

    // Whether the program has ended, without reaping it.
    bool hasExited() const {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid != 0;
    }

    // The exit status; a signal's end counts as 128 plus the signal, as shells report it.
    int reap() {
        const int waitStatus = waitFor();
        if (WIFEXITED(waitStatus))
            return WEXITSTATUS(waitStatus);
        if (WIFSIGNALED(waitStatus))
            return 128 + WTERMSIG(waitStatus);
        return 255;
    }

private:
    int waitFor() {
        int waitStatus = 0;
        while (::waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        return waitStatus;
    }

    pid_t pid_;
    bool reaped_ = false;
};

// One of the child's output streams, split into lines as it arrives.
struct Stream {
    FileDescriptor fd;
    bool isStdout;
    LineSplitter splitter;

    void deliver(const std::vector<std::string>& lines, Collected& collected,
                 const LineObserver& onLine) const {
        for (const auto& line : lines) {
            collected.append(line, isStdout);
            if (onLine)
                onLine(line);
        }
    }

    // Reads what is there; closes the stream at its end (or when it can no longer be read).
    void readSome(Collected& collected, const LineObserver& onLine) {
        char buffer[65536];
        ssize_t count;
        do {
            count = ::read(fd.get(), buffer, sizeof buffer);
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            fd.reset();
            deliver(splitter.finish(), collected, onLine);
            return;
        }
        deliver(splitter.feed({buffer, static_cast<std::size_t>(count)}), collected, onLine);
    }
};

// A descriptor that becomes readable when the process ends, or -1 where the kernel has none.
// Called directly: the C library's declaration of it lacks C linkage in some versions.
int openProcessDescriptor(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int pollTimeout(std::optional<Clock::time_point> killDeadline, bool exitIsPolled) {
    int timeout = exitIsPolled ? -1 : exitCheckIntervalMs;
    if (killDeadline) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(*killDeadline - Clock::now()).count();
        const int leftMs = static_cast<int>(std::max<decltype(left)>(left, 0));
        timeout = timeout < 0 ? leftMs : std::min(timeout, leftMs);
    }
    return timeout;
}

// Reads both streams until the child has ended and its output is used up. Once a stop has been
// requested the child is asked to terminate (and killed after the grace period), and output
// still held open by anything it left behind is no longer waited for.
void watch(Child& child, Stream& out, Stream& err, const FileDescriptor& wake,
           std::stop_token stopToken, Collected& collected, const LineObserver& onLine) {
    const FileDescriptor exitFd(openProcessDescriptor(child.pid()));
    bool exited = false;
    bool terminating = false;
    std::optional<Clock::time_point> killDeadline;

    while (true) {
        if (!terminating && stopToken.stop_requested()) {
            terminating = true;
            ::kill(child.pid(), SIGTERM);
            killDeadline = Clock::now() + terminationGrace;
        }
        const bool streamsOpen = out.fd.isOpen() || err.fd.isOpen();
        if (exited && (!streamsOpen || terminating))
            return;

        pollfd watched[] = {
            {out.fd.get(), POLLIN, 0},
            {err.fd.get(), POLLIN, 0},
            {exited ? -1 : exitFd.get(), POLLIN, 0},
            {terminating ? -1 : wake.get(), POLLIN, 0},
        };
        const int ready = ::poll(watched, std::size(watched),
                                 exited ? -1 : pollTimeout(killDeadline, exitFd.isOpen()));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(errno, "poll");
        }
        if (watched[0].revents != 0)
            out.readSome(collected, onLine);
        if (watched[1].revents != 0)
            err.readSome(collected, onLine);
        if (!exited)
            exited = exitFd.isOpen() ? watched[2].revents != 0 : child.hasExited();
        if (killDeadline && !exited && Clock::now() >= *killDeadline) {
            ::kill(child.pid(), SIGKILL);
            killDeadline.reset();
        }
    }
}

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

    auto outPipe = Pipe::make();
    auto errPipe = Pipe::make();
    const FileDescriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake.isOpen())
        throwErrno(errno, "eventfd");

    Child child(
        spawnChild(executable, arguments, -1, outPipe.writeEnd.get(), errPipe.writeEnd.get()));
    // Our copies of the writing ends would keep the streams from ever reaching their end.
    outPipe.writeEnd.reset();
    errPipe.writeEnd.reset();

    Stream out{std::move(outPipe.readEnd), true, {}};
    Stream err{std::move(errPipe.readEnd), false, {}};
    Collected collected;
    {
        // The callback only wakes the watching loop, which does the signalling: so the child
        // is never signalled after it has been reaped and its id could belong to someone else.
        const std::stop_callback onStop(stopToken, [&wake] {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wake.get(), &one, sizeof one);
        });
        watch(child, out, err, wake, stopToken, collected, onLine);
    }
    const int status = child.reap();

    if (stopToken.stop_requested())
        throw Cancelled();
    if (status == 0)
        return joinLines(collected.out());
    throw UpscaleError::failed(executable.filename().string() + " завершился с кодом " +
                               std::to_string(status) + "\n" +
                               collected.lastErrorLines(errorLinesInMessage));
}

} // namespace clarivex::Shell
