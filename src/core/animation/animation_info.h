#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace clarivex {

// How long one frame of an animation is shown, as an animated PNG stores it: numerator ÷
// denominator seconds, where a denominator of 0 means 100.
struct FrameDelay {
    std::uint16_t numerator = 1;
    std::uint16_t denominator = 10;

    // The same duration, exactly where it fits (GIF's hundredths always do), else rounded.
    static FrameDelay fromMilliseconds(std::int64_t milliseconds);
    double seconds() const;

    bool operator==(const FrameDelay&) const = default;
};

enum class AnimationFormat { gif, webp, png };

// A GIF, WebP or PNG with more than one frame, from its header alone (no frame decoded): what
// the animation path needs to plan, bound and write it. A value; any thread.
struct AnimationInfo {
    AnimationFormat format = AnimationFormat::gif;
    // The size every frame is shown at, upright.
    Size canvas;
    // One delay per frame, in order.
    std::vector<FrameDelay> delays;
    // How many times it plays; 0 for endlessly.
    int plays = 0;
    // Whether any frame may be see-through.
    bool alpha = false;

    std::int64_t frames() const { return static_cast<std::int64_t>(delays.size()); }

    // The animation in `file`, or nothing when it is a still (one frame), no GIF, WebP or PNG
    // by its extension, or no picture (the photo path then says why). Never decodes a frame.
    // Raises UpscaleError::failed for an animation that cannot be read whole, such as a GIF
    // longer than libvips reads.
    static std::optional<AnimationInfo> probe(const std::filesystem::path& file);

    bool operator==(const AnimationInfo&) const = default;
};

} // namespace clarivex
