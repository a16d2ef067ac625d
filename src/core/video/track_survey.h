#pragma once

#include "core/pipeline/upscale_job.h"
#include "core/video/subtitle_charset.h"
#include "core/video/video_info.h"

#include <string_view>
#include <vector>

namespace clarivex {

// What reading a source's sound and subtitle tracks through tells that its header does not:
// which of them hold anything at all (MP4 drops a track without packets without a word), and
// which character set each text subtitle track is in. Indexed as VideoInfo's tracks.
struct TrackSurvey {
    std::vector<bool> audioFilled;
    std::vector<bool> subtitlesFilled;
    std::vector<SubtitleCharset> subtitleCharsets;

    // Every track taken as filled and in UTF-8: what the header alone suggests.
    static TrackSurvey assumed(const VideoInfo& info);
    // Counts every track's packets (ffprobe) and reads the text subtitles' events into the job's
    // working folder (ffmpeg): one pass over the source each. Blocks; raises Cancelled. A tool
    // that fails leaves the header's account standing rather than failing the job.
    static TrackSurvey take(const UpscaleJob& job, const VideoInfo& info);

    // Which tracks ffprobe's "-count_packets" answer finds filled; the header's account where
    // the answer does not list the same tracks.
    static TrackSurvey fromCounts(std::string_view json, const VideoInfo& info);
    // Whether a subtitle codec stores its events as plain text, which can be read as stored.
    static bool storedAsText(const VideoInfo::Track& track);

    bool operator==(const TrackSurvey&) const = default;
};

} // namespace clarivex
