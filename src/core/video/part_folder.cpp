#include "core/video/part_folder.h"

#include "core/files/file_descriptor.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

namespace clarivex {

namespace {

namespace fs = std::filesystem;

constexpr const char* manifestName = "manifest.json";
constexpr const char* listName = "segments.txt";
// A manifest is a few kilobytes; anything much larger is not one of ours.
constexpr off_t largestManifest = 16 << 20;

using Operation = UpscaleError::Operation;

[[noreturn]] void fail(int error, Operation operation, const fs::path& path) {
    throw UpscaleError::operationFailed(operation, path, error);
}

std::string readSmallFile(const OpenFolder& folder, const char* name) {
    const FileDescriptor file(
        ::openat(folder.descriptor(), name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > largestManifest)
        return {};
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t read = 0;
    while (read < text.size()) {
        const ssize_t count = ::read(file.get(), text.data() + read, text.size() - read);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        read += static_cast<std::size_t>(count);
    }
    text.resize(read);
    return text;
}

// Writes `text` to `name` so that the name shows either the old or the whole new contents,
// after a power loss too.
void replaceDurably(const OpenFolder& folder, const std::string& name, const std::string& text) {
    const std::string fresh = name + ".new";
    const int place = folder.descriptor();
    const int descriptor =
        ::openat(place, fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        const int error = errno;
        fail(error, Operation::write, folder.path() / fresh);
    }
    std::size_t written = 0;
    int failure = 0;
    while (written < text.size() && failure == 0) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno != EINTR)
            failure = errno;
        else if (count > 0)
            written += static_cast<std::size_t>(count);
    }
    if (failure == 0 && ::fsync(descriptor) != 0)
        failure = errno;
    if (::close(descriptor) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::renameat(place, fresh.c_str(), place, name.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlinkat(place, fresh.c_str(), 0);
        fail(failure, Operation::write, folder.path() / name);
    }
    ::fsync(place);
}

void makeDurable(const OpenFolder& folder, const std::string& name) {
    const FileDescriptor file(
        ::openat(folder.descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen() || ::fsync(file.get()) != 0) {
        const int error = errno;
        fail(error, Operation::save, folder.path() / name);
    }
}

// A file of ours of the recorded size: never a link, never one that someone else put there.
bool isWholeSegment(const OpenFolder& folder, const std::string& name, std::int64_t bytes) {
    struct stat status {};
    return ::fstatat(folder.descriptor(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && status.st_size == bytes;
}

std::string segmentName(std::int64_t firstFrame) {
    char name[40];
    std::snprintf(name, sizeof name, "segment-%06lld.mp4", static_cast<long long>(firstFrame));
    return name;
}

// Through JSON and back, so that a name JSON cannot hold as it is compares as it was stored.
PartManifest::Identity asStored(const PartManifest::Identity& identity) {
    const auto stored = PartManifest::fromJson(PartManifest{identity, {}}.toJson());
    return stored ? stored->identity : identity;
}

std::int64_t segmentFramesOf(const PartManifest::Identity& identity) {
    const auto setting = identity.settings.find("segmentFrames");
    std::int64_t frames = 0;
    if (setting == identity.settings.end() ||
        std::from_chars(setting->second.data(), setting->second.data() + setting->second.size(),
                        frames)
                .ec != std::errc())
        return 1 << 20;
    return frames;
}

std::string ownerName(uid_t owner) {
    std::array<char, 1024> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(owner, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return "uid " + std::to_string(owner);
}

// FNV-1a, 32 bits, as eight hexadecimal digits: the same on every build.
std::string shortHash(const std::string& text) {
    std::uint32_t state = 0x811c9dc5U;
    for (const char byte : text) {
        state ^= static_cast<unsigned char>(byte);
        state *= 0x01000193U;
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", state);
    return digits;
}

// `prefix` + `stem` + `ending`, the stem cut where the name would not fit into a file name.
std::string fittedName(const std::string& prefix, const std::string& stem,
                       const std::string& ending) {
    return prefix + Naming::fittingStem(stem, prefix.size() + ending.size()) + ending;
}

} // namespace

fs::path PartFolder::pathFor(const fs::path& source, const fs::path& plainOutput) {
    return plainOutput.parent_path() /
           fittedName(".", plainOutput.stem().string(),
                      "-" + shortHash(source.filename().string()) + ".parts");
}

fs::path PartFolder::pathIn(const fs::path& place, const fs::path& source,
                            const fs::path& plainOutput) {
    return place /
           fittedName("", plainOutput.stem().string(), "-" + shortHash(source.string()) + ".parts");
}

PartFolder::PartFolder(fs::path folder, const PartManifest::Identity& identity,
                       const SegmentCheck& check)
    : wanted_(std::move(folder)) {
    bool created = false;
    open(created);
    try {
        lock_ = FolderLock::claim(folder_);
        if (!lock_)
            throw UpscaleError::videoBusy(path());
        load(identity, check);
    } catch (...) {
        // A folder made for nothing goes again; one that held parts is left as it was.
        if (created && lock_)
            discard();
        throw;
    }
}

void PartFolder::open(bool& created) {
    const fs::path parent = wanted_.parent_path();
    parent_ = OpenFolder::open(parent.empty() ? fs::path(".") : parent);
    const std::string name = wanted_.filename().string();
    created = ::mkdirat(parent_.descriptor(), name.c_str(), 0700) == 0;
    if (!created && errno != EEXIST)
        fail(errno, Operation::createPartsFolder, wanted_);
    if (const std::error_code error = OpenFolder::openEntry(parent_, name, folder_)) {
        if (error == std::errc::not_a_directory ||
            error == std::errc::too_many_symbolic_link_levels)
            throw Unusable(ProgressDetail::PartsProblem::notAFolder, wanted_);
        fail(error.value(), Operation::openPartsFolder, wanted_);
    }
    struct stat status = folder_.status();
    if (status.st_uid != ::geteuid())
        throw Unusable(ProgressDetail::PartsProblem::othersFolder, wanted_,
                       ownerName(status.st_uid));
    // A folder of ours that others may enter is closed; where the file system keeps no modes
    // (exFAT, many network mounts), it cannot be, and the parts go elsewhere.
    if ((status.st_mode & 077) != 0 && ::fchmod(folder_.descriptor(), 0700) == 0)
        status = folder_.status();
    if ((status.st_mode & 077) != 0) {
        if (created)
            ::unlinkat(parent_.descriptor(), name.c_str(), AT_REMOVEDIR);
        throw Unusable(ProgressDetail::PartsProblem::cannotClose, parent_.path());
    }
}

void PartFolder::load(const PartManifest::Identity& identity, const SegmentCheck& check) {
    manifest_.identity = asStored(identity);
    const auto stored = PartManifest::fromJson(readSmallFile(folder_, manifestName));
    if (stored && stored->identity == manifest_.identity) {
        const std::int64_t segmentFrames = segmentFramesOf(manifest_.identity);
        for (const PartManifest::Segment& segment : stored->segments) {
            const bool inPlace = segment.firstFrame == manifest_.framesDone() &&
                                 segment.frames > 0 && segment.frames <= segmentFrames &&
                                 segment.file == segmentName(segment.firstFrame) &&
                                 isWholeSegment(folder_, segment.file, segment.bytes);
            if (!inPlace)
                break;
            // A whole file that is not what the manifest says makes the manifest a lie: none of
            // what it says is used.
            if (check && !check(folder_.reachablePath() / segment.file, segment)) {
                manifest_.segments.clear();
                break;
            }
            manifest_.segments.push_back(segment);
        }
    }
    // What no finished segment is: a stale run's parts, a segment cut off by the end of the
    // run that wrote it, a manifest being replaced at that moment.
    removeAllBut(keptNames());
    if (!manifest_.segments.empty() && *stored != manifest_)
        writeManifest();
}

std::vector<std::string> PartFolder::keptNames() const {
    std::vector<std::string> kept{"lock"};
    if (!manifest_.segments.empty())
        kept.push_back(manifestName);
    for (const PartManifest::Segment& segment : manifest_.segments)
        kept.push_back(segment.file);
    return kept;
}

std::int64_t PartFolder::framesDone() const {
    const std::lock_guard guard(mutex_);
    return manifest_.framesDone();
}

fs::path PartFolder::segmentFile(std::int64_t firstFrame) const {
    return folder_.reachablePath() / segmentName(firstFrame);
}

void PartFolder::record(const PartManifest::Segment& segment) {
    makeDurable(folder_, segment.file);
    const std::lock_guard guard(mutex_);
    manifest_.segments.push_back(segment);
    writeManifest();
}

void PartFolder::writeManifest() {
    replaceDurably(folder_, manifestName, manifest_.toJson());
}

fs::path PartFolder::joinList() const {
    std::string list;
    {
        const std::lock_guard guard(mutex_);
        for (const PartManifest::Segment& segment : manifest_.segments)
            list += "file '" + segment.file + "'\n";
    }
    replaceDurably(folder_, listName, list);
    return folder_.reachablePath() / listName;
}

void PartFolder::removeAllBut(const std::vector<std::string>& kept) const {
    for (const std::string& name : folder_.entries())
        if (std::find(kept.begin(), kept.end(), name) == kept.end())
            folder_.removeEntry(name);
}

void PartFolder::discard() {
    folder_.removeContents();
    // Only an empty folder can go this way, so a name swapped meanwhile loses nothing.
    if (parent_.holds(wanted_.filename().string(), folder_.status()))
        ::unlinkat(parent_.descriptor(), wanted_.filename().c_str(), AT_REMOVEDIR);
    lock_.reset();
}

void PartFolder::keepFinished() {
    std::vector<std::string> kept;
    {
        const std::lock_guard guard(mutex_);
        kept = keptNames();
    }
    if (kept.size() == 1) {
        discard();
        return;
    }
    removeAllBut(kept);
    lock_.reset();
}

std::optional<KeptFrames> PartFolder::kept(std::int64_t totalFrames) const {
    const std::int64_t done = framesDone();
    if (done == 0)
        return std::nullopt;
    return KeptFrames{done, std::max(totalFrames, done), path()};
}

} // namespace clarivex
