#pragma once

#include "core/pipeline/upscale_outcome.h"
#include "core/process/tools.h"
#include "core/vocabulary/options.h"

#include <filesystem>
#include <functional>
#include <stop_token>
#include <vector>

namespace clarivex {

// What the queue runs for one job, on the job's own thread: the located tools, the source, the
// options taken when the job started, the photos waiting right behind it (for an engine run they
// may share; UpscaleJob::followingPhotos), a report callback (any thread), the job's stop token
// and the token that tells a stop for the program's end (UpscaleJob::keepPartsToken). It never
// throws: every ending is an outcome. Tests hand the queue a scripted one.
using Pipeline = std::function<UpscaleOutcome(
    const Tools& tools, const std::filesystem::path& source, const Options& options,
    const std::vector<std::filesystem::path>& followingPhotos, const ProgressCallback& report,
    std::stop_token stopToken, std::stop_token keepPartsToken)>;

} // namespace clarivex
