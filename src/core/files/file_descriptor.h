#pragma once

#include <cerrno>
#include <system_error>
#include <utility>

#include <unistd.h>

namespace clarivex {

// Owns an open file descriptor (or none, -1) and closes it when it goes. One owner at a time.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor = -1) noexcept
        : descriptor_(descriptor) {}
    ~FileDescriptor() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept
        : descriptor_(std::exchange(other.descriptor_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(descriptor_, other.descriptor_);
        return *this;
    }

    int get() const { return descriptor_; }
    bool isOpen() const { return descriptor_ >= 0; }

    // Closes it now. For a file just written, a failed close can be the write's failure.
    std::error_code close() {
        const int result = ::close(std::exchange(descriptor_, -1));
        return result == 0 ? std::error_code() : std::error_code(errno, std::generic_category());
    }

private:
    int descriptor_;
};

} // namespace clarivex
