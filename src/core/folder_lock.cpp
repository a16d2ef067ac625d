#include "core/folder_lock.h"

#include "core/working_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace clarivex {

namespace {

constexpr const char* lockName = "lock";

// `unlockable`: the file system cannot lock at all (some network shares).
enum class Taken { locked, unlockable, held, missing };

// Locks the lock file at `file` unless another run holds it. A file that was removed or
// replaced between opening and locking (its folder removed meanwhile) counts as held.
Taken lockExisting(const std::filesystem::path& file, int& descriptor) {
    descriptor = ::open(file.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT ? Taken::missing : Taken::held;
    Taken taken = Taken::held;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        taken = Taken::locked;
    else if (errno != EWOULDBLOCK)
        taken = Taken::unlockable;
    struct stat opened {};
    struct stat named {};
    if (taken != Taken::held && ::fstat(descriptor, &opened) == 0 &&
        ::stat(file.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
        opened.st_dev == named.st_dev)
        return taken;
    ::close(descriptor);
    descriptor = -1;
    return Taken::held;
}

[[noreturn]] void fail(int error, const std::filesystem::path& folder) {
    throw std::system_error(error, std::generic_category(),
                            "Не удалось занять папку " + folder.string());
}

} // namespace

std::optional<FolderLock> FolderLock::claim(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / lockName;
    // Twice at most: a lock file that appears between the two looks is another run's.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int descriptor = -1;
        const Taken taken = lockExisting(file, descriptor);
        // Where nothing can be locked, a second run on the same folder goes unnoticed; refusing
        // every run there instead would make the folder unusable.
        if (taken == Taken::locked || taken == Taken::unlockable)
            return FolderLock(descriptor);
        if (taken == Taken::held)
            return std::nullopt;
        // Made under another name and locked before it is linked into place, so that no one
        // ever sees an unlocked lock file of a live run and takes its folder for abandoned.
        const std::filesystem::path fresh =
            folder / (std::string(lockName) + "-" + upperCaseUuid());
        descriptor =
            ::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0)
            fail(errno, folder);
        ::flock(descriptor, LOCK_EX | LOCK_NB);
        const int linked = ::link(fresh.c_str(), file.c_str());
        const int reason = errno;
        ::unlink(fresh.c_str());
        if (linked == 0)
            return FolderLock(descriptor);
        ::close(descriptor);
        if (reason == EEXIST)
            continue;
        // File systems without hard links (FAT on a memory stick): the lock file itself, which
        // a second run opens too and then fails to lock.
        descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0)
            fail(errno, folder);
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return FolderLock(descriptor);
        ::close(descriptor);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FolderLock> FolderLock::takeAbandoned(const std::filesystem::path& folder) {
    int descriptor = -1;
    if (lockExisting(folder / lockName, descriptor) == Taken::locked)
        return FolderLock(descriptor);
    return std::nullopt;
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

FolderLock::~FolderLock() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

} // namespace clarivex
