#pragma once

#include "core/video/track_survey.h"
#include "core/video/video_info.h"
#include "core/vocabulary/upscale_progress.h"

#include <cstddef>
#include <string>
#include <vector>

namespace clarivex {

// What the final pass carries from the source into the MP4 and what it leaves out, so that the
// joining report says exactly what the result holds. A value, made by a pure function.
struct TrackChoice {
    struct Subtitle {
        // The track's number among the source's subtitles.
        std::size_t index = 0;
        // iconv's name of the set its text is converted from; empty when it is UTF-8.
        std::string charset;
        bool operator==(const Subtitle&) const = default;
    };

    // Numbers among the source's sound tracks, in order.
    std::vector<std::size_t> audio;
    std::vector<Subtitle> subtitles;
    // The start time code the result is tagged with, which MP4 keeps as a time code track.
    std::string timecode;

    // Left out.
    std::size_t emptyTracks = 0;
    std::size_t pictureSubtitles = 0;
    std::size_t unknownTextSubtitles = 0;
    int fonts = 0;
    int otherAttachments = 0;
    int dataStreams = 0;

    static TrackChoice make(const VideoInfo& info, const TrackSurvey& survey);

    // What the joining report says of it.
    TrackNote note() const;

    // Whether `text` is a time code ffmpeg writes for a video of `fps` frames per second:
    // "hh:mm:ss:ff", or with ";" or "." before the frames (drop frame) at 29.97 or 59.94 only.
    static bool usableTimecode(const std::string& text, double fps);

    bool operator==(const TrackChoice&) const = default;
};

} // namespace clarivex
