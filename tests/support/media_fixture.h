#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace clarivex::test {

// A program found on PATH or in the usual folders, as the system finds ffmpeg; or nothing.
std::optional<std::filesystem::path> findProgram(const std::string& name);

// Runs ffmpeg with `arguments` after "-v error -y" and fails the test when it fails.
void ffmpeg(const std::vector<std::string>& arguments);

struct ClipSpec {
    int width = 64;
    int height = 48;
    int frames = 30;
    std::string rate = "30";
    // Empty for a silent clip, otherwise the codec of a sound as long as the pictures.
    std::string audioCodec = {};
    // Written as the "rotate" tag, which ffmpeg turns into a display matrix.
    int rotate = 0;
};

// A test-pattern clip made by ffmpeg at `file` (container from its extension).
void makeClip(const std::filesystem::path& file, const ClipSpec& spec);

struct StreamFacts {
    int width = 0;
    int height = 0;
    std::int64_t frames = 0;
    double duration = 0;
    std::string videoCodec;
    // Every sound and subtitle stream, in order, as "codec language" with " default" on the
    // default ones ("aac rus default").
    std::vector<std::string> audio;
    std::vector<std::string> subtitles;
    int chapters = 0;
    int rotation = 0;
    // The video's colour tags: matrix, primaries, transfer and range ("bt709/bt709/bt709/tv").
    std::string colourTags;
};

// What ffprobe says about a finished file (frames counted by decoding).
StreamFacts probeFile(const std::filesystem::path& file);

// A hash of every decoded frame of the first video stream, in order.
std::vector<std::string> frameHashes(const std::filesystem::path& file);

// The finished segments a video's part folder names in its manifest.
std::size_t finishedSegments(const std::filesystem::path& partFolder);

// The frames a logging engine script was given over all its calls, from its log of one count a
// line.
int framesInLog(const std::filesystem::path& log);

// The entries of a folder whose names start with `prefix`.
std::vector<std::filesystem::path> entriesStartingWith(const std::filesystem::path& folder,
                                                       const std::string& prefix);

} // namespace clarivex::test
