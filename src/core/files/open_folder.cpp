#include "core/files/open_folder.h"
#include "core/vocabulary/upscale_error.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace clarivex {

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::vector<std::string> entryNames(int folder) {
    std::vector<std::string> names;
    // fdopendir takes the descriptor it is given, so it gets a copy of its own.
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return names;
    DIR* listing = ::fdopendir(copy);
    if (listing == nullptr) {
        ::close(copy);
        return names;
    }
    ::rewinddir(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(listing);
    return names;
}

void removeAllIn(int folder, int depth);

void removeEntryOf(int folder, const std::string& name, int depth) {
    if (::unlinkat(folder, name.c_str(), 0) == 0 || (errno != EISDIR && errno != EPERM))
        return;
    // Deep trees are no work of ours; the bound keeps a planted one from exhausting descriptors.
    if (depth > 16)
        return;
    const FileDescriptor inner(::openat(folder, name.c_str(), folderFlags | O_NOFOLLOW));
    if (!inner.isOpen())
        return;
    removeAllIn(inner.get(), depth + 1);
    ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
}

void removeAllIn(int folder, int depth) {
    for (const std::string& name : entryNames(folder))
        removeEntryOf(folder, name, depth);
}

} // namespace

OpenFolder OpenFolder::open(const std::filesystem::path& path) {
    OpenFolder folder;
    folder.descriptor_ = FileDescriptor(::open(path.c_str(), folderFlags));
    if (!folder.descriptor_.isOpen())
        throw UpscaleError::operationFailed(UpscaleError::Operation::openFolder, path, errno);
    folder.path_ = path;
    return folder;
}

std::error_code OpenFolder::openEntry(const OpenFolder& parent, const std::string& name,
                                      OpenFolder& opened) {
    FileDescriptor descriptor(
        ::openat(parent.descriptor(), name.c_str(), folderFlags | O_NOFOLLOW));
    if (!descriptor.isOpen())
        return {errno, std::generic_category()};
    opened.descriptor_ = std::move(descriptor);
    opened.path_ = parent.path_ / name;
    return {};
}

std::filesystem::path OpenFolder::reachablePath() const {
    const std::filesystem::path reachable =
        "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(descriptor_.get());
    // Without /proc mounted the name is all there is.
    struct stat reached {};
    struct stat own {};
    if (::stat(reachable.c_str(), &reached) == 0 && ::fstat(descriptor_.get(), &own) == 0 &&
        reached.st_ino == own.st_ino && reached.st_dev == own.st_dev)
        return reachable;
    return path_;
}

struct stat OpenFolder::status() const {
    struct stat status {};
    if (::fstat(descriptor_.get(), &status) != 0)
        throw UpscaleError::operationFailed(UpscaleError::Operation::openFolder, path_, errno);
    return status;
}

bool OpenFolder::holds(const std::string& name, const struct stat& expected) const {
    struct stat status {};
    return ::fstatat(descriptor_.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           status.st_ino == expected.st_ino && status.st_dev == expected.st_dev;
}

std::vector<std::string> OpenFolder::entries() const {
    return entryNames(descriptor_.get());
}

void OpenFolder::removeEntry(const std::string& name) const {
    removeEntryOf(descriptor_.get(), name, 0);
}

void OpenFolder::removeContents() const {
    removeAllIn(descriptor_.get(), 0);
}

} // namespace clarivex
