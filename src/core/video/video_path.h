#pragma once

#include "core/pipeline/upscale_job.h"

namespace clarivex::VideoPath {

// The video branch of `Upscaler::run`, a peer of ImagePath::run: probes the video, takes it
// apart chunk by chunk, runs the network on each chunk while the previous one streams into
// the encoder, adds the sound or the loop, and places the finished file next to the source
// without replacing anything. Blocks; stopping the job's token cancels, with every child
// ended and reaped.
PathOutcome run(const UpscaleJob& job);

// The plan for the job's video, from what ffprobe says of it; refuses a video already at its
// target, and any without ffmpeg or ffprobe, as run does.
Plan plan(const UpscaleJob& job);

} // namespace clarivex::VideoPath
