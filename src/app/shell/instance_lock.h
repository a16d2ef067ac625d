#pragma once

#include "core/files/file_descriptor.h"

#include <filesystem>
#include <memory>

namespace clarivex {

// The lock file that elects the one running instance of a user and tells later starts what it
// is doing. The instance holds an exclusive lock on it for as long as it lives (the kernel lets
// go when the process ends, however it ends) and writes its state into it; a later start reads
// the state while it cannot take the lock, or blocks on the lock to wait for the instance to
// go. Lives in a private folder, so that only the user can write it. One thread at a time.
class InstanceLock {
public:
    struct State {
        enum class Kind {
            // The instance is on its way to listening.
            starting,
            // It takes files on `socket`.
            listening,
            // It has begun to quit and takes nothing more.
            quitting,
            // It could make no socket: nothing can reach it.
            alone,
        };
        Kind kind = Kind::starting;
        std::filesystem::path socket;

        bool operator==(const State&) const = default;
    };

    // Opens the lock file, made 0600 when missing; nothing when it cannot be opened.
    static std::unique_ptr<InstanceLock> open(const std::filesystem::path& file);

    // Takes the lock when no instance holds it; the state then reads `starting`.
    bool tryAcquire();
    // Waits for the instance to go, then takes the lock as tryAcquire does; false when the
    // system refuses the lock altogether.
    bool acquire();

    // What the instance last said; `starting` also while a new state is half-written.
    State read() const;
    // For the holder.
    void announce(const State& state);

private:
    explicit InstanceLock(FileDescriptor descriptor);

    FileDescriptor descriptor_;
};

} // namespace clarivex
