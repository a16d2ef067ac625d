#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace clarivex::test {

// A program found on PATH, or nothing.
std::optional<std::filesystem::path> findProgram(const std::string& name);

// Runs ffmpeg with `arguments` after "-v error -y" and fails the test when it fails.
void ffmpeg(const std::vector<std::string>& arguments);

struct ClipSpec {
    int width = 64;
    int height = 48;
    int frames = 30;
    std::string rate = "30";
    // Empty for a silent clip, otherwise the audio codec ("aac", "pcm_s16le", …).
    std::string audioCodec = {};
    // Seconds of sound; by default as long as the pictures.
    double audioSeconds = 0;
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
    std::string audioCodec;
    int rotation = 0;
    // The video's colour tags: matrix, primaries, transfer and range ("bt709/bt709/bt709/tv").
    std::string colourTags;
};

// What ffprobe says about a finished file (frames counted by decoding).
StreamFacts probeFile(const std::filesystem::path& file);

// The entries of a folder whose names start with `prefix`.
std::vector<std::filesystem::path> entriesStartingWith(const std::filesystem::path& folder,
                                                       const std::string& prefix);

} // namespace clarivex::test
