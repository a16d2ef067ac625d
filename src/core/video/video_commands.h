#pragma once

#include "core/video/video_colour.h"
#include "core/vocabulary/size.h"

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
// as a stream of fast-compressed RGB PNG files on standard output.
std::vector<std::string> extraction(const std::filesystem::path& source,
                                    const std::string& frameRate, const VideoColour& colour);

// The settings of every H.264 encode of the result, the streaming encoder's and the loop
// pass's, ending with the file they write: silent, libx264 at CRF 18, index at the front.
std::vector<std::string> h264Output(const std::filesystem::path& file);

// The streaming encoder: PNG files on standard input, resampled with Lanczos to `output` and
// encoded silently with libx264 as tagged BT.709 into `video`. `frameRate` is ffprobe's text,
// unchanged.
std::vector<std::string> encoder(const std::string& frameRate, Size output,
                                 const std::filesystem::path& video);

// The loop pass: `video` through the filter graph `graph` (LoopFilter::make) into `output`,
// silent, encoded as the frame encoder does.
std::vector<std::string> loop(const std::filesystem::path& video, const std::string& graph,
                              const std::filesystem::path& output);

// The new video with the source's first sound stream copied unchanged. Both streams are kept
// whole: "-shortest" would end the result with the sound, so a clip whose sound stops early
// would lose every frame after it.
std::vector<std::string> soundCopy(const std::filesystem::path& video,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& output);

// The same with the sound re-encoded as AAC, for codecs MP4 cannot hold.
std::vector<std::string> soundAac(const std::filesystem::path& video,
                                  const std::filesystem::path& source,
                                  const std::filesystem::path& output);

} // namespace clarivex::VideoCommands
