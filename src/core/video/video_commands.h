#pragma once

#include "core/video/track_choice.h"
#include "core/video/video_colour.h"
#include "core/video/video_info.h"
#include "core/vocabulary/size.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clarivex::VideoCommands {

// The filters that turn a source's decoded frames into 8-bit RGB in BT.709's colours: YCbCr
// read with the source's own matrix and range; BT.2020 brought into BT.709's gamut; PQ and HLG
// tone-mapped into SDR (1000 nits, or the peak the stream's light-level data give, at the top).
std::string readColours(const VideoColour& colour);

// The filters that resample RGB frames with Lanczos to exactly `output` and turn them into
// BT.709 YCbCr, limited range, 4:2:0, in one pass.
std::string bt709Frames(Size output);

// The colour tags of a BT.709 result (primaries, transfer, matrix, limited range), which players
// read instead of guessing.
std::vector<std::string> bt709Tags();

// The first video stream, upright, at the constant `frameRate` the encoder is given (frames
// duplicated or dropped as the source's timestamps require, so that a variable-rate source keeps
// its length; a constant-rate one gives every frame once), read with `colour` (`readColours`),
// as a stream of fast-compressed RGB PNG files on standard output. From frame `firstFrame` on
// (counted from 0): the frames before it are decoded and dropped rather than skipped by seeking,
// so that every frame is exactly the one a run from the start takes, also where a variable-rate
// source holds one picture for a long time.
std::vector<std::string> extraction(const std::filesystem::path& source,
                                    const std::string& frameRate, const VideoColour& colour,
                                    std::int64_t firstFrame = 0);

// The settings of every H.264 encode of the result, the streaming encoder's and the loop
// pass's, ending with the file they write: silent, libx264 at CRF 18, index at the front.
std::vector<std::string> h264Output(const std::filesystem::path& file);

// The streaming encoder: PNG files on standard input, resampled with Lanczos to `output` and
// encoded silently with libx264 as tagged BT.709 into `video`. `frameRate` is ffprobe's text,
// unchanged.
std::vector<std::string> encoder(const std::string& frameRate, Size output,
                                 const std::filesystem::path& video);

// The loop pass: the segments listed in `segments` (a list for ffmpeg's concat demuxer)
// through the filter graph `graph` (LoopFilter::make) into `output`, silent, encoded as the
// segments were.
std::vector<std::string> loop(const std::filesystem::path& segments, const std::string& graph,
                              const std::filesystem::path& output);

// What the final pass carries over from the source besides the pictures.
enum class Carry {
    // The pictures alone (a clip that was to be a loop but is too short for a seam).
    nothing,
    // Every sound track (copied where MP4 holds its codec, AAC otherwise, the first one the
    // default), the text subtitles as MP4 text, chapters and the tags, languages included.
    everything,
    // The same with every sound track re-encoded as AAC: for sound that cannot be copied after
    // all.
    everythingAsAac,
};

// Whether a sound codec goes into MP4 unchanged and plays there (ffprobe's codec_name).
bool mp4HoldsSound(const std::string& codec);

// The final pass of a plain video: the segments listed in `segments` joined without
// re-encoding, with what `carry` says taken from `source` (whose tracks `info` describes and
// `choice` picks: subtitles in a legacy set are converted by the decoder, which takes UTF-8
// only), into the MP4 `output`. No stream is cut short: "-shortest" would end the result with
// its sound, so a clip whose sound stops early would lose every frame after it.
std::vector<std::string> join(const std::filesystem::path& segments,
                              const std::filesystem::path& source, const VideoInfo& info,
                              const TrackChoice& choice, Carry carry,
                              const std::filesystem::path& output);

} // namespace clarivex::VideoCommands
