#include "core/video/part_folder.h"

#include "core/private_files.h"
#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

namespace clarivex {

namespace {

namespace fs = std::filesystem;

constexpr const char* manifestName = "manifest.json";
constexpr const char* listName = "segments.txt";
// A manifest is a few kilobytes; anything much larger is not one of ours.
constexpr std::uintmax_t largestManifest = 16 << 20;

[[noreturn]] void fail(int error, const std::string& what, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), what + " " + path.string());
}

std::string readSmallFile(const fs::path& file) {
    std::error_code error;
    if (fs::file_size(file, error) > largestManifest || error)
        return {};
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Writes `text` to `file` so that the name shows either the old or the whole new contents,
// after a power loss too.
void replaceDurably(const fs::path& file, const std::string& text) {
    const fs::path fresh = file.string() + ".new";
    const int descriptor =
        ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0)
        fail(errno, "Не удалось записать", fresh);
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
    if (failure == 0 && ::rename(fresh.c_str(), file.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(fresh.c_str());
        fail(failure, "Не удалось записать", file);
    }
    const int folder = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void makeDurable(const fs::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0) {
        const int error = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        fail(error, "Не удалось сохранить", file);
    }
    ::close(descriptor);
}

bool isWholeSegment(const fs::path& file, std::int64_t bytes) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_size == bytes;
}

// Through JSON and back, so that a name JSON cannot hold as it is compares as it was stored.
PartManifest::Identity asStored(const PartManifest::Identity& identity) {
    const auto stored = PartManifest::fromJson(PartManifest{identity, {}}.toJson());
    return stored ? stored->identity : identity;
}

} // namespace

fs::path PartFolder::pathFor(const fs::path& plainOutput) {
    return plainOutput.parent_path() / ("." + plainOutput.stem().string() + ".parts");
}

PartFolder::PartFolder(fs::path folder, const PartManifest::Identity& identity)
    : folder_(std::move(folder)) {
    std::error_code error = PrivateFiles::createFolder(folder_);
    const bool created = !error;
    if (error == std::errc::file_exists)
        error = PrivateFiles::ensureFolder(folder_);
    if (error)
        fail(error.value(), "Не удалось создать папку для частей видео", folder_);
    try {
        lock_ = FolderLock::claim(folder_);
        if (!lock_)
            throw UpscaleError::failed("Это видео с теми же настройками уже обрабатывается: " +
                                       folder_.string());
        load(identity);
    } catch (...) {
        // A folder made for nothing goes again; one that held parts is left as it was.
        if (created && lock_)
            discard();
        throw;
    }
}

void PartFolder::load(const PartManifest::Identity& identity) {
    manifest_.identity = asStored(identity);
    const auto stored = PartManifest::fromJson(readSmallFile(folder_ / manifestName));
    if (stored && stored->identity == manifest_.identity) {
        for (const PartManifest::Segment& segment : stored->segments) {
            const bool inPlace = segment.firstFrame == manifest_.framesDone() &&
                                 segment.frames > 0 &&
                                 segment.file == segmentFile(segment.firstFrame).filename() &&
                                 isWholeSegment(folder_ / segment.file, segment.bytes);
            if (!inPlace)
                break;
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
    char name[40];
    std::snprintf(name, sizeof name, "segment-%06lld.mp4", static_cast<long long>(firstFrame));
    return folder_ / name;
}

void PartFolder::record(const PartManifest::Segment& segment) {
    makeDurable(folder_ / segment.file);
    const std::lock_guard guard(mutex_);
    manifest_.segments.push_back(segment);
    writeManifest();
}

void PartFolder::writeManifest() {
    replaceDurably(folder_ / manifestName, manifest_.toJson());
}

fs::path PartFolder::joinList() const {
    std::string list;
    {
        const std::lock_guard guard(mutex_);
        for (const PartManifest::Segment& segment : manifest_.segments)
            list += "file '" + segment.file + "'\n";
    }
    const fs::path file = folder_ / listName;
    replaceDurably(file, list);
    return file;
}

void PartFolder::removeAllBut(const std::vector<std::string>& kept) const {
    std::error_code error;
    for (fs::directory_iterator entries(folder_, error);
         !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (std::find(kept.begin(), kept.end(), name) == kept.end()) {
            std::error_code ignored;
            fs::remove_all(entries->path(), ignored);
        }
    }
}

void PartFolder::discard() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
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

std::string PartFolder::keptDescription(std::int64_t totalFrames) const {
    const std::int64_t done = framesDone();
    if (done == 0)
        return {};
    return "Готовые кадры 1–" + std::to_string(done) + " из " +
           std::to_string(std::max(totalFrames, done)) + " сохранены в " + folder_.string();
}

} // namespace clarivex
