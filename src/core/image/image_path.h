#pragma once

#include "core/pipeline/upscale_job.h"

#include <cstdint>
#include <optional>
#include <string>

namespace clarivex::ImagePath {

// The most pixels the network may be asked to produce for one picture. The engine holds its
// whole output in memory (3 or 4 bytes a pixel) next to its input, so 400 megapixels ask for
// about 1.6 GB, which a desktop can give; a larger plan is refused before any pixel is decoded
// (a tiny file may declare a picture of billions of pixels).
inline constexpr std::int64_t maxNetworkPixels = 400'000'000;

// The photo branch of `Upscaler::run`, a peer of VideoPath::run: decodes the photo upright,
// runs the network once on the whole picture, resamples its output to the plan's exact size
// and places the result next to the source without replacing anything. Blocks; stopping the
// job's token cancels, with the engine ended and reaped.
PathOutcome run(const UpscaleJob& job);

// The plan for the job's picture, read from its header without decoding it; refuses a picture
// already at its target or too large for the network, as run does.
Plan plan(const UpscaleJob& job);

// The progress of one line the engine printed ("45.00%"), if it is one.
std::optional<UpscaleProgress> engineLineProgress(const std::string& line);

} // namespace clarivex::ImagePath
