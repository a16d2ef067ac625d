#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clarivex {

// How many video frames go through the network at a time.
inline constexpr int defaultChunkSize = 48;

// One chunk of a video's frames on its way through the network: the frame files' names, in
// order, and the two folders they live in before and after the network.
struct VideoChunk {
    // 0, 1, 2, …
    std::int64_t index = 0;
    // How many frames of the video come before this chunk.
    std::int64_t firstFrame = 0;
    std::vector<std::string> frames;
    std::filesystem::path in;
    std::filesystem::path out;

    bool operator==(const VideoChunk&) const = default;
};

} // namespace clarivex
