#pragma once

#include "core/animation/animation_info.h"
#include "core/image/image_ops.h"
#include "core/pipeline/upscale_job.h"

#include <cstdint>
#include <filesystem>

namespace clarivex {

// The frames of an animation as a viewer shows them, one at a time: composed to full canvases
// (partial frames, transparency and every disposal mode applied by the decoder), upright and in
// sRGB, as the photo path decodes a photo. GIF and WebP come from libvips, which composes them
// and decodes a frame only when it is asked for; libvips sees only the first frame of an
// animated PNG, so ffmpeg takes those apart into the working folder first. For the job's thread.
class AnimationFrames {
public:
    // For an animated PNG, runs ffmpeg over the whole file (cancelled by the job's token).
    // Raises UpscaleError::failed when ffmpeg is missing or gives another number of frames.
    AnimationFrames(const UpscaleJob& job, const AnimationInfo& info);

    // Frame `index`, from 0, decoded now; frames are asked for in order. Raises
    // UpscaleError::failed naming the frame when it cannot be decoded (a damaged file).
    ImageOps::Bitmap frame(std::int64_t index) const;

private:
    ImageOps::Bitmap decoded(std::int64_t index) const;

    const AnimationInfo& info_;
    // GIF and WebP: every frame, one below the other, decoded lazily.
    ImageOps::Bitmap stack_;
    // Animated PNG: the file's header (orientation, colour profile), and ffmpeg's frames.
    ImageOps::Bitmap header_;
    std::filesystem::path extracted_;
};

} // namespace clarivex
