#pragma once

#include "core/pipeline/upscale_job.h"
#include "core/video/video_info.h"

#include <cstdint>
#include <filesystem>

namespace clarivex::FinalPass {

// Turns the finished segments listed in `segments` (`frames` frames of the video `info`
// describes) into the finished file `output`: the seamless loop when one is asked for and the
// clip is long enough for a seam, silent; otherwise the segments joined without re-encoding,
// with every track of the source that MP4 holds and that holds anything (the plain pictures
// for a loop too short for a seam); the detail line says what is carried and what is left out
// (TrackChoice). Sound that cannot be copied after all is re-encoded in a second attempt. Blocks;
// raises the runner's errors and Cancelled.
void run(const UpscaleJob& job, const VideoInfo& info, const std::filesystem::path& segments,
         std::int64_t frames, const std::filesystem::path& output);

} // namespace clarivex::FinalPass
