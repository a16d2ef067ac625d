#include "core/process/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace clarivex {

namespace {

using Clock = std::chrono::steady_clock;

// Only when the kernel offers no process descriptor do we look for the exit this often.
constexpr int exitCheckIntervalMs = 50;
// Fewer wake-ups per multi-megabyte frame; the system may refuse, which only costs speed.
constexpr int preferredPipeBytes = 1 << 20;

[[noreturn]] void throwErrno(int code, const std::string& what) {
    throw std::system_error(code, std::system_category(), what);
}

void closeDescriptor(int& descriptor) noexcept {
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

// Both ends close-on-exec, so that programs started by other threads meanwhile do not inherit
// them and keep a stream open past our child's end.
struct Pipe {
    int readEnd = -1;
    int writeEnd = -1;

    explicit Pipe(bool wanted) {
        if (!wanted)
            return;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throwErrno(errno, "pipe");
        readEnd = ends[0];
        writeEnd = ends[1];
    }
    ~Pipe() {
        closeDescriptor(readEnd);
        closeDescriptor(writeEnd);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    static int take(int& end) { return std::exchange(end, -1); }
};

// The null device where a stream is not piped, opened once per start.
class NullDevice {
public:
    NullDevice() {
        descriptor_ = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (descriptor_ < 0)
            throwErrno(errno, "/dev/null");
    }
    ~NullDevice() { closeDescriptor(descriptor_); }
    NullDevice(const NullDevice&) = delete;
    NullDevice& operator=(const NullDevice&) = delete;
    int get() const { return descriptor_; }

private:
    int descriptor_ = -1;
};

// Blocks every signal on this thread while it lives: a vfork child shares our memory until it
// executes the program, so no handler of ours may run in it meanwhile.
class AllSignalsBlocked {
public:
    AllSignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous_);
    }
    ~AllSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    AllSignalsBlocked(const AllSignalsBlocked&) = delete;
    AllSignalsBlocked& operator=(const AllSignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

// Runs in the vfork child, on the parent's stack: system calls only, no allocation, no locks.
// Tells the parent why the program could not be started, through the pipe that a successful
// exec closes.
[[noreturn]] void failStart(int report) {
    const int reason = errno;
    [[maybe_unused]] const auto written = ::write(report, &reason, sizeof reason);
    ::_exit(127);
}

[[noreturn]] void becomeProgram(const char* path, char* const* argv, const int (&streams)[3],
                                pid_t parent, int report) {
    // Handlers are ours and must not run here; ignored signals would stay ignored in the
    // program, and it has to feel a broken pipe and a termination request.
    for (int number = 1; number < NSIG; ++number) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) != 0)
            continue;
        const bool handled = current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN;
        if (handled || number == SIGPIPE || number == SIGTERM) {
            struct sigaction standard {};
            standard.sa_handler = SIG_DFL;
            ::sigaction(number, &standard, nullptr);
        }
    }
    // The program goes when we go, even when we are killed outright. A parent that died before
    // this line went unnoticed by the kernel, hence the check after it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);
    // Sources below 3 could be overwritten by an earlier dup2; moved up first.
    int sources[3];
    for (int target = 0; target < 3; ++target) {
        sources[target] = streams[target];
        if (sources[target] < 3)
            sources[target] = ::fcntl(sources[target], F_DUPFD_CLOEXEC, 3);
    }
    for (int target = 0; target < 3; ++target) {
        if (::dup2(sources[target], target) < 0)
            failStart(report);
    }
    // Whatever the programs write is intermediate (frames, the network's output, a video
    // before it is placed) and stays the user's alone; a finished result gets the user's usual
    // mode when it is placed.
    ::umask(077);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(path, argv, environ);
    failStart(report);
}

pid_t spawn(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
            const int (&streams)[3]) {
    std::vector<std::string> words;
    words.reserve(arguments.size() + 1);
    words.push_back(executable.string());
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // A pipe rather than the memory vfork shares: under the sanitizers vfork is a fork. Its
    // write end is kept above the standard streams, which the child overwrites.
    Pipe report(true);
    if (report.writeEnd < 3) {
        const int moved = ::fcntl(report.writeEnd, F_DUPFD_CLOEXEC, 3);
        if (moved < 0)
            throwErrno(errno, "fcntl");
        closeDescriptor(report.writeEnd);
        report.writeEnd = moved;
    }
    // vfork rather than posix_spawn: the death signal has to be set between the two halves.
    const pid_t parent = ::getpid();
    pid_t pid = -1;
    int forkError = 0;
    {
        const AllSignalsBlocked blocked;
        pid = ::vfork();
        if (pid == 0)
            becomeProgram(words.front().c_str(), argv.data(), streams, parent, report.writeEnd);
        forkError = errno;
    }
    if (pid < 0)
        throwErrno(forkError, "Не удалось запустить " + executable.string());
    closeDescriptor(report.writeEnd);
    int execError = 0;
    ssize_t count;
    do {
        count = ::read(report.readEnd, &execError, sizeof execError);
    } while (count < 0 && errno == EINTR);
    if (count == sizeof execError) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        throwErrno(execError, "Не удалось запустить " + executable.string());
    }
    return pid;
}

// A descriptor that becomes readable when the process ends, or -1 where the kernel has none.
// Called directly: the C library's declaration of it lacks C linkage in some versions.
int openProcessDescriptor(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int decodeStatus(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 255;
}

// A write's broken-pipe signal goes to the thread that wrote: blocked there for the write,
// and a pending one taken away, so that a dead program never ends ours.
class BrokenPipeSignalHeld {
public:
    BrokenPipeSignalHeld() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    }
    ~BrokenPipeSignalHeld() {
        if (broken_) {
            const timespec immediately{0, 0};
            while (sigtimedwait(&set_, nullptr, &immediately) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    BrokenPipeSignalHeld(const BrokenPipeSignalHeld&) = delete;
    BrokenPipeSignalHeld& operator=(const BrokenPipeSignalHeld&) = delete;
    void noteBroken() { broken_ = true; }

private:
    sigset_t set_;
    sigset_t previous_;
    bool broken_ = false;
};

} // namespace

Process::Process(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                 Wiring wiring)
    : name_(executable.filename().string()) {
    Pipe input(wiring.input);
    Pipe output(wiring.output);
    Pipe error(wiring.error);
    const NullDevice null;
    if (wiring.input)
        ::fcntl(input.writeEnd, F_SETPIPE_SZ, preferredPipeBytes);
    const int streams[3] = {wiring.input ? input.readEnd : null.get(),
                            wiring.output ? output.writeEnd : null.get(),
                            wiring.error ? error.writeEnd : null.get()};
    pid_ = spawn(executable, arguments, streams);
    exitDescriptor_ = openProcessDescriptor(pid_);
    // The child's ends stay with the child only; ours would keep its streams from ending.
    input_ = Pipe::take(input.writeEnd);
    output_ = Pipe::take(output.readEnd);
    error_ = Pipe::take(error.readEnd);
}

Process::~Process() {
    stop();
    std::lock_guard guard(inputLock_);
    closeDescriptor(input_);
    closeDescriptor(output_);
    closeDescriptor(error_);
    closeDescriptor(exitDescriptor_);
}

bool Process::write(std::string_view bytes) {
    int descriptor = -1;
    {
        std::lock_guard guard(inputLock_);
        descriptor = input_;
        writing_ = descriptor >= 0;
    }
    if (descriptor < 0)
        return false;
    // Whatever way the write ends, an input closed meanwhile is closed now.
    struct EndWrite {
        Process& process;
        ~EndWrite() {
            std::lock_guard guard(process.inputLock_);
            process.writing_ = false;
            if (process.closeAfterWrite_)
                closeDescriptor(process.input_);
        }
    } endWrite{*this};
    BrokenPipeSignalHeld held;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EPIPE) {
            held.noteBroken();
            return false;
        }
        if (count < 0)
            throwErrno(errno, "write");
        written += static_cast<std::size_t>(count);
    }
    return true;
}

void Process::closeInput() noexcept {
    std::lock_guard guard(inputLock_);
    // Closing a descriptor another thread is writing to could hand its number to an unrelated
    // file; the writer closes it as soon as its write returns.
    if (writing_)
        closeAfterWrite_ = true;
    else
        closeDescriptor(input_);
}

void Process::read(const Reader& reader, std::stop_token stopToken) {
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0)
        throwErrno(errno, "eventfd");
    struct CloseWake {
        int descriptor;
        ~CloseWake() { ::close(descriptor); }
    } closeWake{wake};
    // The callback only wakes the loop, which does the signalling.
    const std::stop_callback onStop(stopToken, [wake] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake, &one, sizeof one);
    });

    int streams[2] = {output_, error_};
    bool exited = false;
    bool terminating = false;
    // Set while a kill is due; a plain pair rather than an optional, which GCC misreads.
    bool killPending = false;
    Clock::time_point killDeadline;
    std::string buffer(64 * 1024, '\0');
    while (true) {
        if (!terminating && stopToken.stop_requested()) {
            terminating = true;
            terminate();
            killPending = true;
            killDeadline = Clock::now() + terminationGrace;
        }
        const bool streamsOpen = streams[0] >= 0 || streams[1] >= 0;
        if (exited && (!streamsOpen || terminating))
            return;

        int timeout = exited || exitDescriptor_ >= 0 ? -1 : exitCheckIntervalMs;
        if (killPending && !exited) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(killDeadline - Clock::now()).count();
            const int leftMs = static_cast<int>(std::max<decltype(left)>(left, 0));
            timeout = timeout < 0 ? leftMs : std::min(timeout, leftMs);
        }
        pollfd watched[] = {
            {streams[0], POLLIN, 0},
            {streams[1], POLLIN, 0},
            {exited ? -1 : exitDescriptor_, POLLIN, 0},
            {terminating ? -1 : wake, POLLIN, 0},
        };
        if (::poll(watched, std::size(watched), timeout) < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(errno, "poll");
        }
        for (int index = 0; index < 2; ++index) {
            if (watched[index].revents == 0)
                continue;
            ssize_t count;
            do {
                count = ::read(streams[index], buffer.data(), buffer.size());
            } while (count < 0 && errno == EINTR);
            if (count <= 0) {
                // Our descriptor stays open until the object goes, so that no other file can
                // take its number while another thread might still name it.
                streams[index] = -1;
                continue;
            }
            reader(index == 0 ? Stream::output : Stream::error,
                   {buffer.data(), static_cast<std::size_t>(count)});
        }
        if (!exited)
            exited = exitDescriptor_ >= 0 ? watched[2].revents != 0 : hasExited();
        if (killPending && !exited && Clock::now() >= killDeadline) {
            signal(SIGKILL);
            killPending = false;
        }
    }
}

void Process::signal(int number) noexcept {
    std::lock_guard guard(lock_);
    if (!reaped_)
        ::kill(pid_, number);
}

void Process::terminate() noexcept {
    signal(SIGTERM);
}

bool Process::hasExited() const noexcept {
    siginfo_t info{};
    // WNOWAIT leaves the process unreaped, so its id stays ours to signal. A process already
    // reaped by another thread counts as ended.
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return true;
    return info.si_pid != 0;
}

void Process::waitForExit() noexcept {
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 &&
           errno == EINTR) {
    }
}

bool Process::waitForExit(std::chrono::milliseconds limit) noexcept {
    const auto deadline = Clock::now() + limit;
    while (!hasExited()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        if (exitDescriptor_ >= 0) {
            pollfd watched{exitDescriptor_, POLLIN, 0};
            ::poll(&watched, 1, static_cast<int>(left.count()));
        } else {
            ::usleep(exitCheckIntervalMs * 1000);
        }
    }
    return true;
}

int Process::wait() noexcept {
    waitForExit();
    std::lock_guard guard(lock_);
    if (!reaped_) {
        int waitStatus = 0;
        while (::waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
        }
        status_ = decodeStatus(waitStatus);
        reaped_ = true;
    }
    return status_;
}

void Process::stop() noexcept {
    {
        std::lock_guard guard(lock_);
        if (reaped_)
            return;
    }
    terminate();
    if (!waitForExit(std::chrono::duration_cast<std::chrono::milliseconds>(terminationGrace)))
        signal(SIGKILL);
    wait();
}

} // namespace clarivex
