#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>

namespace clarivex {

// How many chunks of frames the streaming video path keeps on disk at most, on each side of the
// network: the chunk the network works on and the next one being extracted; the chunk being
// fed to the encoder and the one the network is writing.
inline constexpr int chunksOnDisk = 2;

// Bytes a video job needs in its working folder at its peak, whatever the video's length apart
// from the encoded file: the larger of the streaming stage (a few chunks of extracted and of
// enlarged frames, estimated as raw RGB halved for PNG compression, beside the growing encode)
// and the final pass (the encode and its copy with sound or loop), plus a small margin. The
// encode is estimated from a generous H.264 bit rate at the output size. Saturates at the
// largest 64-bit value instead of overflowing, so an absurd frame count from a damaged file is
// refused as "too large" rather than wrapping around to a small number.
std::int64_t videoSpaceNeeded(Size source, int esrganScale, Size output, std::int64_t frameEstimate,
                              int chunkSize, bool finalPassCopies);

} // namespace clarivex
