#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>

namespace clarivex {

// Bytes a video job needs in its working folder: every extracted frame (raw RGB, halved as a
// guess at PNG compression), one chunk of enlarged frames, and a fixed 1 GB margin. Saturates
// at the largest 64-bit value instead of overflowing, so an absurd frame count from a damaged
// file is refused as "too large" rather than wrapping around to a small number.
std::int64_t videoSpaceNeeded(Size size, int esrganScale, std::int64_t frameEstimate,
                              int chunkSize);

} // namespace clarivex
