#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// What a video's part folder holds and for what: the source and every setting that shapes the
// pictures, and the finished segments of the encode in order. A later run continues after the
// last segment only when source and settings are still the same. A value; written as JSON.
struct PartManifest {
    // Tells a source from any other file and from itself changed: its place, size, times of
    // modification and of change (which no one can set back), the file itself (inode), and a
    // hash of its first and last mebibyte and of samples spread over the rest, so that a file
    // rewritten in place with its old size and time is told apart too.
    struct Source {
        std::string path;
        std::int64_t size = 0;
        std::int64_t modified = 0;
        std::string fingerprint;
        std::int64_t changed = 0;
        // 0 on file systems whose inode numbers do not last (FUSE numbers them per mount).
        std::uint64_t inode = 0;

        // The source as it is now. Raises UpscaleError (`operationFailed`) when it cannot be read.
        static Source of(const std::filesystem::path& file);
        bool operator==(const Source&) const = default;
    };

    struct Identity {
        Source source;
        std::string frameRate;
        // Every setting that changes the pictures of a segment, by name.
        std::map<std::string, std::string> settings;

        bool operator==(const Identity&) const = default;
    };

    // One finished segment: its file in the part folder, the frames it holds (counted from 0
    // over the whole video) and its size in bytes.
    struct Segment {
        std::string file;
        std::int64_t firstFrame = 0;
        std::int64_t frames = 0;
        std::int64_t bytes = 0;

        bool operator==(const Segment&) const = default;
    };

    Identity identity;
    std::vector<Segment> segments;

    // Frames in the finished segments.
    std::int64_t framesDone() const;

    std::string toJson() const;
    // Nothing for text that is no manifest of this kind, damaged or cut short included.
    static std::optional<PartManifest> fromJson(std::string_view text);

    bool operator==(const PartManifest&) const = default;
};

} // namespace clarivex
