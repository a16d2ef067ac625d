#include "app/shell/instance_lock.h"

#include <array>
#include <cerrno>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clarivex {

namespace {

using Kind = InstanceLock::State::Kind;

// The state is its word, a line feed, the socket's path (bytes, possibly none) and a NUL that
// marks the end, so that a read in the middle of a write is seen as incomplete.
constexpr std::array<std::pair<Kind, std::string_view>, 4> words{{
    {Kind::starting, "starting"},
    {Kind::listening, "listening"},
    {Kind::quitting, "quitting"},
    {Kind::alone, "alone"},
}};

InstanceLock::State parse(const std::string& text) {
    const auto lineEnd = text.find('\n');
    if (lineEnd == std::string::npos || !text.ends_with('\0'))
        return {};
    const std::string_view word(text.data(), lineEnd);
    for (const auto& [kind, spelled] : words)
        if (word == spelled)
            return {kind, text.substr(lineEnd + 1, text.size() - lineEnd - 2)};
    return {};
}

} // namespace

std::unique_ptr<InstanceLock> InstanceLock::open(const std::filesystem::path& file) {
    // Close-on-exec above all: a program we start must not hold the lock after we are gone.
    FileDescriptor descriptor(
        ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    // Whatever the umask left, the next start has to open it too.
    if (!descriptor.isOpen() || ::fchmod(descriptor.get(), 0600) != 0)
        return nullptr;
    return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(descriptor)));
}

InstanceLock::InstanceLock(FileDescriptor descriptor)
    : descriptor_(std::move(descriptor)) {}

bool InstanceLock::tryAcquire() {
    if (::flock(descriptor_.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    announce({});
    return true;
}

bool InstanceLock::acquire() {
    int result = 0;
    do
        result = ::flock(descriptor_.get(), LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        return false;
    announce({});
    return true;
}

InstanceLock::State InstanceLock::read() const {
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t count = ::pread(descriptor_.get(), buffer, sizeof buffer, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
        offset += count;
    }
    return parse(text);
}

void InstanceLock::announce(const State& state) {
    std::string text;
    for (const auto& [kind, spelled] : words)
        if (kind == state.kind)
            text = std::string(spelled) + '\n' + state.socket.native() + '\0';
    // A failed write leaves a state that reads as `starting`: later starts then wait for this
    // one to go rather than lose their files.
    if (::ftruncate(descriptor_.get(), 0) == 0) {
        [[maybe_unused]] const auto written =
            ::pwrite(descriptor_.get(), text.data(), text.size(), 0);
    }
}

} // namespace clarivex
