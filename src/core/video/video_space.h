#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>

namespace clarivex {

// How many chunks are in the network at once: the next chunk's engine starts while the one
// before computes, so that its start costs no time.
inline constexpr int chunksInNetwork = 2;

// How many chunks of frames the streaming video path keeps on disk at most, on each side of the
// network: the chunks the network works on and the next one being extracted; the chunks the
// network is writing and the one being fed to the encoder.
inline constexpr int chunksOnDisk = chunksInNetwork + 1;

// Bytes a video job needs in the temporary folder at its peak, whatever the video's length: a
// few chunks of extracted and of enlarged frames, estimated as raw RGB halved for PNG
// compression, plus a small margin.
std::int64_t temporarySpaceNeeded(Size source, int esrganScale, int chunkSize);

// Bytes a video job still needs beside its result: the segments of the `framesLeft` frames not
// encoded yet and the joined result of all `frames`, which exists beside every segment until
// they go, plus a small margin. The encode is estimated from a generous H.264 bit rate at the
// output size.
std::int64_t destinationSpaceNeeded(Size output, std::int64_t frames, std::int64_t framesLeft);

// Both saturate at the largest 64-bit value instead of overflowing, so that an absurd frame count
// from a damaged file is refused as "too large" rather than wrapping around to a small number.

} // namespace clarivex
