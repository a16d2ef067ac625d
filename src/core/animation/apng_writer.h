#pragma once

#include "core/animation/animation_info.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace clarivex {

// Writes an animated PNG into an open file, frame by frame, so that only one frame is ever in
// memory: each frame arrives as a complete PNG of the full canvas (libvips encodes it), whose
// image data becomes the frame's. The first frame is also the still picture that programs
// without animation show. Every frame replaces the canvas whole, so no viewer composes
// anything. ffmpeg's muxer could write the file too, but wants every frame with its duration
// before it starts. For one thread.
class ApngWriter {
public:
    // Nothing is written before the first frame. `shownName` is the file the user will see,
    // for the error sentences.
    ApngWriter(int descriptor, std::int64_t frames, int plays, std::string shownName);

    // Adds the next frame. Raises an UpscaleError (an `apng…` case, or `writeFailed`) when the
    // frame is no PNG, differs from the first in size or pixel format, is one too many, or the
    // write fails.
    void add(std::string_view png, FrameDelay delay);
    // Ends the file. Raises an UpscaleError (`apngShort` or `writeFailed`) when frames are
    // missing or the write fails.
    void finish();

private:
    void write(std::string_view type, std::string_view data);
    void writeBytes(std::string_view bytes);

    int descriptor_;
    std::int64_t frames_;
    int plays_;
    std::string shownName_;
    std::string header_;
    std::int64_t added_ = 0;
    std::uint32_t sequence_ = 0;
};

} // namespace clarivex
