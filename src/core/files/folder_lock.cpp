#include "core/files/folder_lock.h"

#include "core/files/file_descriptor.h"
#include "core/files/working_folder.h"
#include "core/vocabulary/upscale_error.h"

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

// `unlockable`: the file system cannot lock at all (some network shares). `refused`: the lock
// file cannot be opened for writing (a read-only mount, no permission): no run holds it.
enum class Taken { locked, unlockable, held, missing, refused };

// Locks the lock file in `folder` unless another run holds it. A file that was removed or
// replaced between opening and locking (its folder removed meanwhile) counts as held.
Taken lockExisting(int folder, int& descriptor) {
    descriptor = ::openat(folder, lockName, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT                                       ? Taken::missing
               : errno == EROFS || errno == EACCES || errno == EPERM ? Taken::refused
                                                                     : Taken::held;
    Taken taken = Taken::held;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        taken = Taken::locked;
    else if (errno != EWOULDBLOCK)
        taken = Taken::unlockable;
    struct stat opened {};
    struct stat named {};
    if (taken != Taken::held && ::fstat(descriptor, &opened) == 0 &&
        ::fstatat(folder, lockName, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        opened.st_ino == named.st_ino && opened.st_dev == named.st_dev)
        return taken;
    ::close(descriptor);
    descriptor = -1;
    return Taken::held;
}

[[noreturn]] void fail(int error, const std::filesystem::path& folder) {
    throw UpscaleError::operationFailed(UpscaleError::Operation::claimFolder, folder, error);
}

} // namespace

std::optional<FolderLock> FolderLock::claim(const std::filesystem::path& folder) {
    return claim(OpenFolder::open(folder));
}

std::optional<FolderLock> FolderLock::claim(const OpenFolder& folder) {
    const int place = folder.descriptor();
    // Twice at most: a lock file that appears between the two looks is another run's.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int descriptor = -1;
        const Taken taken = lockExisting(place, descriptor);
        // Where nothing can be locked, a second run on the same folder goes unnoticed; refusing
        // every run there instead would make the folder unusable.
        if (taken == Taken::locked || taken == Taken::unlockable)
            return FolderLock(descriptor);
        if (taken == Taken::held)
            return std::nullopt;
        if (taken == Taken::refused)
            fail(errno, folder.path());
        // Made under another name and locked before it is linked into place, so that no one
        // ever sees an unlocked lock file of a live run and takes its folder for abandoned.
        const std::string fresh = std::string(lockName) + "-" + upperCaseUuid();
        descriptor = ::openat(place, fresh.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0)
            fail(errno, folder.path());
        ::flock(descriptor, LOCK_EX | LOCK_NB);
        const int linked = ::linkat(place, fresh.c_str(), place, lockName, 0);
        const int reason = errno;
        ::unlinkat(place, fresh.c_str(), 0);
        if (linked == 0)
            return FolderLock(descriptor);
        ::close(descriptor);
        if (reason == EEXIST)
            continue;
        // File systems without hard links (FAT on a memory stick): the lock file itself, which
        // a second run opens too and then fails to lock.
        descriptor = ::openat(place, lockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0)
            fail(errno, folder.path());
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return FolderLock(descriptor);
        ::close(descriptor);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FolderLock> FolderLock::takeAbandoned(const std::filesystem::path& folder) {
    const FileDescriptor opened(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int descriptor = -1;
    if (opened.isOpen() && lockExisting(opened.get(), descriptor) == Taken::locked)
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
