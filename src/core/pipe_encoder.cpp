#include "pipe_encoder.h"

#include "upscale_error.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

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

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

int exitStatus(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return WTERMSIG(waitStatus);
    return waitStatus;
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
    startProcess(ffmpeg, args, input.read, errors.write);
    input_ = input.release(input.write);
    const int errorRead = errors.release(errors.read);
    errorReader_ = std::jthread([this, errorRead] { readErrors(errorRead); });
    queue_ = std::make_unique<SerialQueue>();
    queue_->submit(blockBrokenPipeSignal).get();
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
    if (errorReader_.joinable())
        errorReader_.join();
}

void PipeEncoder::startProcess(const std::filesystem::path& ffmpeg,
                               const std::vector<std::string>& args, int inputRead,
                               int errorWrite) {
    std::vector<std::string> argumentTexts;
    argumentTexts.reserve(args.size() + 1);
    argumentTexts.push_back(ffmpeg.string());
    argumentTexts.insert(argumentTexts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : argumentTexts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputRead, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorWrite, STDERR_FILENO);
    // The child must not inherit our ignored SIGPIPE or blocked signals.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const int error =
        posix_spawn(&pid_, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw systemError(error, ffmpeg.c_str());
}

void PipeEncoder::readErrors(int errorRead) {
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        const ssize_t count = ::read(errorRead, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        std::string chunk(buffer.data(), static_cast<std::size_t>(count));
        // Each chunk is kept whole, with its own line feeds, so the message reproduces what
        // ffmpeg printed without added separators.
        if (isValidUtf8(chunk))
            errors_->append(std::move(chunk), false);
    }
    ::close(errorRead);
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
    std::string joined;
    for (const std::string& chunk : errors_->errLines())
        joined += chunk;
    return joined;
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
