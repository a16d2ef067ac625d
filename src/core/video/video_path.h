#pragma once

#include "core/upscale_job.h"

namespace clarivex::VideoPath {

// The video branch of `Upscaler::run`, a peer of ImagePath::run: probes the video, takes it
// apart chunk by chunk, runs the network on each chunk while the previous one streams into
// the encoder, adds the sound or the loop, and places the finished file next to the source
// without replacing anything. Blocks; stopping the job's token cancels, with every child
// ended and reaped.
PathOutcome run(const UpscaleJob& job);

} // namespace clarivex::VideoPath
