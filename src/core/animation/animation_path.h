#pragma once

#include "core/animation/animation_info.h"
#include "core/pipeline/upscale_job.h"

#include <cstdint>

namespace clarivex::AnimationPath {

// The most pixels the network may make for all frames of one animation together (each frame
// counted at its larger size, the network's or the result's). Every frame is held whole by
// the network and stored whole in the result, for no inter-frame compression exists in PNG:
// two thousand megapixels are some 500 frames at 1920×1080, hours on a modest graphics card and
// gigabytes on disk. Larger ones are refused before any frame is decoded.
inline constexpr std::int64_t maxAnimationPixels = 2'000'000'000;

// The animation branch of `Upscaler::run`, a peer of ImagePath::run for a GIF, WebP or PNG of
// more than one frame: each frame goes through the photo path's steps (upright, sRGB, network,
// exact size, alpha kept), in chunks through the network as a video's frames do, so that memory
// holds one frame and the temporary folder one chunk; the frames are written as they come into
// an animated PNG beside the destination, with their own delays and the source's loop count,
// which is placed under the result's name at the end, never replacing anything. Blocks;
// stopping the job's token cancels, with the engine ended and reaped and no file left.
PathOutcome run(const UpscaleJob& job, const AnimationInfo& info);

} // namespace clarivex::AnimationPath
