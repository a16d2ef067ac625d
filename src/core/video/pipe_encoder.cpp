#include "core/video/pipe_encoder.h"

#include "core/process/child_spawn.h"
#include "core/process/line_splitter.h"
#include "core/vocabulary/upscale_error.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace clarivex {

namespace {

// Fewer wake-ups per multi-megabyte frame; the system may refuse, which only costs speed.
constexpr int preferredPipeBytes = 1 << 20;
// The error output is complete once the pipe reaches its end; a descendant that kept the
// pipe open must not hang the job, so the wait for it is bounded.
constexpr auto errorDrainLimit = std::chrono::seconds(2);
// ffmpeg stops on SIGTERM after finishing its output; one that does not is killed outright.
constexpr auto terminationGrace = std::chrono::seconds(3);

std::system_error systemError(int error, const char* what) {
    return std::system_error(error, std::generic_category(), what);
}

int exitStatus(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    // As the process runner reports it: a signal's end is 128 plus the signal.
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 255;
}

// SIGPIPE is ignored process-wide by the entry; blocking it on the writing thread as well
// keeps a dead encoder from killing a program that forgot to, since a write's SIGPIPE goes
// to the thread that wrote.
void blockBrokenPipeSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void discardPendingBrokenPipeSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    const timespec immediately{0, 0};
    while (sigtimedwait(&set, nullptr, &immediately) == SIGPIPE) {
    }
}

struct Pipe {
    int read = -1;
    int write = -1;

    Pipe() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            throw systemError(errno, "pipe");
        read = ends[0];
        write = ends[1];
    }
    ~Pipe() {
        if (read >= 0)
            ::close(read);
        if (write >= 0)
            ::close(write);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int release(int& end) {
        const int descriptor = end;
        end = -1;
        return descriptor;
    }
};

} // namespace

PipeEncoder::PipeEncoder(const std::filesystem::path& ffmpeg,
                         const std::vector<std::string>& args) {
    Pipe input;
    Pipe errors;
    fcntl(input.write, F_SETPIPE_SZ, preferredPipeBytes);
    pid_ = spawnChild(ffmpeg, args, input.read, -1, errors.write);
    input_ = input.release(input.write);
    const int errorRead = errors.release(errors.read);
    try {
        errorReader_ = std::jthread(
            [this, errorRead](std::stop_token stopToken) { readErrors(stopToken, errorRead); });
        queue_ = std::make_unique<SerialQueue>();
        queue_->submit(blockBrokenPipeSignal).get();
    } catch (...) {
        if (!errorReader_.joinable())
            ::close(errorRead);
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        reaped_ = true;
        throw;
    }
}

PipeEncoder::~PipeEncoder() {
    kill();
    queue_.reset();
    {
        std::lock_guard guard(processLock_);
        if (!reaped_) {
            const auto deadline = std::chrono::steady_clock::now() + terminationGrace;
            int status = 0;
            while (waitpid(pid_, &status, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    ::kill(pid_, SIGKILL);
                    waitpid(pid_, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            reaped_ = true;
        }
        if (input_ >= 0) {
            ::close(input_);
            input_ = -1;
        }
    }
    // Only a descendant that inherited the error pipe could still hold it open; its output
    // is of no use any more and must not keep us waiting.
    errorReader_.request_stop();
    if (errorReader_.joinable())
        errorReader_.join();
}

void PipeEncoder::readErrors(std::stop_token stopToken, int errorRead) {
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const std::stop_callback onStop(stopToken, [wake] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake, &one, sizeof one);
    });
    LineSplitter splitter;
    const auto keep = [this](const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            errors_->append(line, false);
    };
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        pollfd watched[] = {{errorRead, POLLIN, 0}, {wake, POLLIN, 0}};
        if (::poll(watched, wake >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[0].revents == 0)
            break;
        const ssize_t count = ::read(errorRead, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        keep(splitter.feed({buffer.data(), static_cast<std::size_t>(count)}));
    }
    keep(splitter.finish());
    ::close(errorRead);
    if (wake >= 0)
        ::close(wake);
    {
        std::lock_guard guard(drainLock_);
        errorsDrained_ = true;
    }
    drained_.notify_all();
}

bool PipeEncoder::running() {
    std::lock_guard guard(processLock_);
    if (reaped_)
        return false;
    siginfo_t info{};
    // WNOWAIT leaves the process unreaped, so its pid stays ours for `kill`.
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

int PipeEncoder::waitForExit() {
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 &&
           errno == EINTR) {
    }
    std::lock_guard guard(processLock_);
    if (!reaped_) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        status_ = exitStatus(status);
        reaped_ = true;
    }
    return status_;
}

std::string PipeEncoder::collectedErrors() {
    {
        std::unique_lock guard(drainLock_);
        drained_.wait_for(guard, errorDrainLimit, [this] { return errorsDrained_; });
    }
    return errors_->lastErrorLines(Shell::Collected::maxErrorLines);
}

void PipeEncoder::throwStopped() {
    throw UpscaleError::failed("Кодировщик остановился: " + collectedErrors());
}

void PipeEncoder::write(std::string_view frame) {
    queue_
        ->submit([this, frame] {
            int descriptor = -1;
            {
                std::lock_guard guard(processLock_);
                descriptor = input_;
                if (descriptor >= 0)
                    writing_ = true;
            }
            if (descriptor < 0 || !running()) {
                {
                    std::lock_guard guard(processLock_);
                    writing_ = false;
                }
                throwStopped();
            }
            int failure = 0;
            std::size_t written = 0;
            while (written < frame.size()) {
                const ssize_t count =
                    ::write(descriptor, frame.data() + written, frame.size() - written);
                if (count < 0 && errno == EINTR)
                    continue;
                if (count < 0) {
                    failure = errno;
                    break;
                }
                written += static_cast<std::size_t>(count);
            }
            {
                std::lock_guard guard(processLock_);
                writing_ = false;
                if (closeAfterWrite_ && input_ >= 0) {
                    ::close(input_);
                    input_ = -1;
                }
            }
            if (failure == EPIPE) {
                discardPendingBrokenPipeSignal();
                throwStopped();
            }
            if (failure != 0)
                throw systemError(failure, "write");
        })
        .get();
}

void PipeEncoder::finish() {
    closeInput();
    int code = 0;
    queue_->submit([this, &code] { code = waitForExit(); }).get();
    if (code != 0)
        throw UpscaleError::failed("Кодировщик: код " + std::to_string(code) + "\n" +
                                   collectedErrors());
}

void PipeEncoder::closeInput() noexcept {
    std::lock_guard guard(processLock_);
    if (writing_) {
        // Closing a descriptor another thread is writing to could hand its number to an
        // unrelated file; the writer closes it as soon as its write returns.
        closeAfterWrite_ = true;
        return;
    }
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
}

void PipeEncoder::kill() noexcept {
    {
        std::lock_guard guard(processLock_);
        if (!reaped_ && pid_ > 0)
            ::kill(pid_, SIGTERM);
    }
    closeInput();
}

} // namespace clarivex
