#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// One external program we started, with the standard streams wired as asked, until it has been
// reaped. The program gets this process's environment and folder, the broken-pipe signal and
// termination requests at their defaults, and dies with us: should this process end without
// reaping it (killed outright), the kernel kills it too. That death signal is tied to the thread
// that started the program, so a `Process` must be reaped before its starting thread ends (every
// caller reaps it on the thread that made it, or on a thread that this one outlives).
//
// Thread use: `write` from one thread, `read` from one thread, `wait`/`stop` from one thread;
// those three may differ. `terminate` and `closeInput` from any thread at any time.
class Process {
public:
    // Which standard streams are pipes to us; the others are the null device.
    struct Wiring {
        bool input = false;
        bool output = false;
        bool error = false;
    };
    enum class Stream { output, error };
    // Called with every piece of a piped stream as it arrives, on the thread that calls `read`.
    using Reader = std::function<void(Stream stream, std::string_view bytes)>;

    // A program that ignores the polite request still has to go, or cancelling would never end.
    static constexpr std::chrono::seconds terminationGrace{5};

    // Starts the program at once. A program that cannot be started raises std::system_error with
    // "Не удалось запустить" and its path.
    Process(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
            Wiring wiring);
    // A program not reaped yet is stopped as `stop` does.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The executable's file name, as messages name the program.
    const std::string& name() const { return name_; }

    // Writes all of `bytes` into the program's standard input, blocking while the pipe is full.
    // False when the program no longer reads it (it closed it or ended); other failures raise
    // std::system_error. Never raises the broken-pipe signal, whatever this process does with it.
    bool write(std::string_view bytes);
    // The program sees the end of its input, at once or, while a write is under way on another
    // thread, as soon as that write returns. May be called from any thread.
    void closeInput() noexcept;

    // Hands the piped output and error streams to `reader` until both have ended. A stop request
    // terminates the program (killed after the grace period) and, once it has ended, stops
    // waiting for output that something it left behind may still hold open.
    void read(const Reader& reader, std::stop_token stopToken);

    // Asks the program to terminate (SIGTERM); does nothing once it has been reaped.
    void terminate() noexcept;
    // Whether the program has ended (reaped or not).
    bool hasExited() const noexcept;
    // Blocks until the program has ended, without reaping it.
    void waitForExit() noexcept;
    // Blocks until the program has ended and reaps it. The exit status; a signal's end counts as
    // 128 plus the signal, as shells report it.
    int wait() noexcept;
    // Terminates the program, kills it if it is still there after the grace period, and reaps it.
    void stop() noexcept;

private:
    void signal(int number) noexcept;
    bool waitForExit(std::chrono::milliseconds limit) noexcept;

    std::string name_;
    pid_t pid_ = -1;
    int exitDescriptor_ = -1;
    int output_ = -1;
    int error_ = -1;

    // Guards the input's descriptor, which `closeInput` may close while a write is under way.
    std::mutex inputLock_;
    int input_ = -1;
    bool writing_ = false;
    bool closeAfterWrite_ = false;

    // Guards `reaped_`: a signal is never sent once the id may belong to another process.
    mutable std::mutex lock_;
    bool reaped_ = false;
    int status_ = 0;
};

} // namespace clarivex
