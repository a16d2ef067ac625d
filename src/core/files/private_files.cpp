#include "core/files/private_files.h"

#include "core/files/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

namespace clarivex::PrivateFiles {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

FileDescriptor openNew(const std::filesystem::path& file) {
    FileDescriptor descriptor(
        ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    // The umask may have taken the owner's own bits away.
    if (descriptor.isOpen() && ::fchmod(descriptor.get(), 0600) != 0) {
        const int reason = errno;
        descriptor.close();
        ::unlink(file.c_str());
        errno = reason;
    }
    return descriptor;
}

// What a file system without modes of its own answers to chmod.
bool modesUnsupported() {
    return errno == EPERM || errno == ENOTSUP;
}

// Read from /proc because umask(2) can only be asked by changing it, which would race with
// every other thread that creates files meanwhile. Without /proc the stricter 077 holds.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("Umask:"))
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8)) & 0777;
    return 077;
}

} // namespace

std::error_code createFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0)
        return lastError();
    if (::chmod(folder.c_str(), 0700) != 0) {
        const std::error_code error = lastError();
        ::rmdir(folder.c_str());
        return error;
    }
    return {};
}

bool isPrivateFolder(const std::filesystem::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

std::error_code ensureFolder(const std::filesystem::path& folder) {
    if (const std::error_code error = createFolder(folder);
        error && error != std::errc::file_exists)
        return error;
    if (!isPrivateFolder(folder))
        return std::make_error_code(std::errc::operation_not_permitted);
    return {};
}

std::error_code createFile(const std::filesystem::path& file) {
    FileDescriptor descriptor = openNew(file);
    if (!descriptor.isOpen())
        return lastError();
    return descriptor.close();
}

std::error_code copyInto(int from, int to) {
    std::vector<char> buffer(1 << 20);
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return lastError();
        if (got == 0)
            return ::fsync(to) == 0 ? std::error_code() : lastError();
        for (ssize_t written = 0; written < got;) {
            const ssize_t count =
                ::write(to, buffer.data() + written, static_cast<std::size_t>(got - written));
            if (count < 0 && errno != EINTR)
                return lastError();
            written += count > 0 ? count : 0;
        }
        offset += got;
    }
}

FileDescriptor createFileIn(int folder, const std::string& name) {
    FileDescriptor descriptor(
        ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (descriptor.isOpen() && ::fchmod(descriptor.get(), 0600) != 0 && !modesUnsupported()) {
        const int reason = errno;
        descriptor.close();
        ::unlinkat(folder, name.c_str(), 0);
        errno = reason;
    }
    return descriptor;
}

std::error_code giveUsualPermissions(int descriptor) {
    if (::fchmod(descriptor, 0666 & ~currentUmask()) != 0 && !modesUnsupported())
        return lastError();
    return {};
}

} // namespace clarivex::PrivateFiles
