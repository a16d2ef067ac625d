#pragma once

#include <filesystem>

namespace clarivex {

// Removes a file or folder (with everything in it) when the guard goes away, unless the work
// that made it was committed: partial results and staged copies disappear on every path out,
// exceptions and cancellation included. For one thread; removal errors are ignored.
class RemovalGuard {
public:
    explicit RemovalGuard(std::filesystem::path path = {});
    ~RemovalGuard();
    RemovalGuard(const RemovalGuard&) = delete;
    RemovalGuard& operator=(const RemovalGuard&) = delete;

    // Guards `path` from now on; whatever was guarded before is removed first.
    void guard(std::filesystem::path path);
    // Keeps what is guarded.
    void commit();

    const std::filesystem::path& path() const { return path_; }

private:
    void removeGuarded();

    std::filesystem::path path_;
};

} // namespace clarivex
