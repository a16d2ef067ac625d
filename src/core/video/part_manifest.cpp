#include "core/video/part_manifest.h"

#include "core/files/file_descriptor.h"
#include "core/vocabulary/upscale_error.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace clarivex {

namespace {

using Json = nlohmann::json;

// Changing what a manifest holds or means makes older ones unusable rather than misread.
constexpr int version = 2;
constexpr std::int64_t sampled = 1 << 20;
// Between the first and the last mebibyte: enough places that a re-encoded file differs in
// some, few enough that a file on a memory stick is read in a moment.
constexpr std::int64_t samples = 64;
constexpr std::int64_t sampleBytes = 64 << 10;
constexpr long fuseMagic = 0x65735546;

// FNV-1a, 64 bits: enough to tell a changed file from itself, and the same on every build.
void hash(std::uint64_t& state, const char* bytes, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        state ^= static_cast<unsigned char>(bytes[index]);
        state *= 0x100000001b3ULL;
    }
}

// Hashes `count` bytes of the file from `offset`.
bool hashRange(int descriptor, std::int64_t offset, std::int64_t count, std::uint64_t& state) {
    std::array<char, 1 << 16> buffer{};
    while (count > 0) {
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(count, buffer.size()));
        const ssize_t got = ::pread(descriptor, buffer.data(), wanted, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        hash(state, buffer.data(), static_cast<std::size_t>(got));
        offset += got;
        count -= got;
    }
    return true;
}

[[noreturn]] void unreadable(int error, const std::filesystem::path& file) {
    throw UpscaleError::operationFailed(UpscaleError::Operation::read, file, error);
}

} // namespace

PartManifest::Source PartManifest::Source::of(const std::filesystem::path& file) {
    const FileDescriptor descriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!descriptor.isOpen())
        unreadable(errno, file);
    struct stat status {};
    std::uint64_t state = 0xcbf29ce484222325ULL;
    bool read = ::fstat(descriptor.get(), &status) == 0;
    const std::int64_t size = status.st_size;
    read = read && hashRange(descriptor.get(), 0, std::min(size, sampled), state);
    const std::int64_t middle = size - 2 * sampled;
    for (std::int64_t index = 0; read && middle > 0 && index < samples; ++index)
        read = hashRange(descriptor.get(), sampled + middle * index / samples,
                         std::min(sampleBytes, middle), state);
    read =
        read && (size <= sampled || hashRange(descriptor.get(), std::max(sampled, size - sampled),
                                              std::min(sampled, size - sampled), state));
    if (!read)
        unreadable(errno, file);
    struct statfs volume {};
    const bool lastingInodes =
        ::fstatfs(descriptor.get(), &volume) == 0 && volume.f_type != fuseMagic;
    char fingerprint[17];
    std::snprintf(fingerprint, sizeof fingerprint, "%016llx",
                  static_cast<unsigned long long>(state));
    return Source{
        file.string(),
        size,
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
        fingerprint,
        static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec,
        lastingInodes ? static_cast<std::uint64_t>(status.st_ino) : 0};
}

std::int64_t PartManifest::framesDone() const {
    std::int64_t frames = 0;
    for (const Segment& segment : segments)
        frames += segment.frames;
    return frames;
}

std::string PartManifest::toJson() const {
    Json segmentList = Json::array();
    for (const Segment& segment : segments)
        segmentList.push_back({{"file", segment.file},
                               {"firstFrame", segment.firstFrame},
                               {"frames", segment.frames},
                               {"bytes", segment.bytes}});
    const Source& source = identity.source;
    const Json document{{"version", version},
                        {"source",
                         {{"path", source.path},
                          {"size", source.size},
                          {"modified", source.modified},
                          {"fingerprint", source.fingerprint},
                          {"changed", source.changed},
                          {"inode", source.inode}}},
                        {"frameRate", identity.frameRate},
                        {"settings", identity.settings},
                        {"segments", segmentList}};
    // Paths are the user's bytes, not always UTF-8: replaced rather than refused.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<PartManifest> PartManifest::fromJson(std::string_view text) {
    try {
        const Json document = Json::parse(text);
        if (document.at("version").get<int>() != version)
            return std::nullopt;
        PartManifest manifest;
        const Json& source = document.at("source");
        manifest.identity.source = {
            source.at("path").get<std::string>(),      source.at("size").get<std::int64_t>(),
            source.at("modified").get<std::int64_t>(), source.at("fingerprint").get<std::string>(),
            source.at("changed").get<std::int64_t>(),  source.at("inode").get<std::uint64_t>()};
        manifest.identity.frameRate = document.at("frameRate").get<std::string>();
        manifest.identity.settings =
            document.at("settings").get<std::map<std::string, std::string>>();
        for (const Json& segment : document.at("segments"))
            manifest.segments.push_back({segment.at("file").get<std::string>(),
                                         segment.at("firstFrame").get<std::int64_t>(),
                                         segment.at("frames").get<std::int64_t>(),
                                         segment.at("bytes").get<std::int64_t>()});
        return manifest;
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

} // namespace clarivex
