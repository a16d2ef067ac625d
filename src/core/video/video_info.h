#pragma once

#include "core/video/video_colour.h"
#include "core/vocabulary/size.h"

#include <cstdint>
#include <filesystem>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// What the video path needs to know about a video before taking it apart: the upright frame
// size, the frame rate (as ffprobe's text for the encoder and as a number), a frame count for
// progress and the disk check, the sound and subtitle tracks to carry over, and how its colours
// are to be read.
struct VideoInfo {
    // A sound or subtitle stream, as the final pass carries it over.
    struct Track {
        // ffprobe's codec_name ("aac", "subrip", "hdmv_pgs_subtitle", …).
        std::string codec{};
        // Sound only.
        int channels = 0;
        // The "language" tag; empty when untagged.
        std::string language{};
        bool isDefault = false;
        bool forced = false;

        // Subtitles kept as text, which MP4 holds; pictures (PGS, DVD, DVB) it cannot.
        bool isTextSubtitle() const;
        bool operator==(const Track&) const = default;
    };

    Size size;
    std::string frameRate = "30/1";
    double fps = 30;
    std::int64_t frameEstimate = 0;
    VideoColour colour;
    // In stream order, so that the i-th is ffmpeg's "a:i" and "s:i".
    std::vector<Track> audio;
    std::vector<Track> subtitles;
    // The video stream's "language" tag.
    std::string videoLanguage;
    // The start time code ("01:00:00:00") a stream or the file is tagged with; empty without.
    std::string timecode;
    // What MP4 cannot hold: fonts attached for the subtitles, other attached files, and data
    // streams other than a time code track (which the time code tag stands for).
    int fonts = 0;
    int otherAttachments = 0;
    int dataStreams = 0;

    // Runs ffprobe once and reads its answer. Blocks; a stop request terminates ffprobe and
    // raises Cancelled. A file without a video stream raises UpscaleError::unsupported.
    static VideoInfo probe(const std::filesystem::path& source,
                           const std::filesystem::path& ffprobe, std::stop_token stopToken = {});

    // Reads ffprobe's JSON answer. Text that is not JSON raises UpscaleError::failed.
    static VideoInfo read(std::string_view json);

    static std::vector<std::string> probeArguments(const std::filesystem::path& source);

    // Frames per second from a rational text such as "30000/1001"; 30 when nothing parses.
    // May be 0, negative or not finite for malformed text; callers guard against that.
    static double rate(std::string_view frameRate);

    bool operator==(const VideoInfo&) const = default;
};

} // namespace clarivex
