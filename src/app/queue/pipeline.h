#pragma once

#include "core/process/tools.h"
#include "core/upscale_outcome.h"
#include "core/vocabulary/options.h"

#include <filesystem>
#include <functional>
#include <stop_token>

namespace clarivex {

// What the queue runs for one job, on the job's own thread: the located tools, the source, the
// options taken when the job started, a report callback (any thread) and the job's stop token.
// It never throws: every ending is an outcome. Tests hand the queue a scripted one.
using Pipeline = std::function<UpscaleOutcome(
    const Tools& tools, const std::filesystem::path& source, const Options& options,
    const ProgressCallback& report, std::stop_token stopToken)>;

// The real pipeline: the core's upscaler. The window's one way
// into the core's pipeline.
UpscaleOutcome upscale(const Tools& tools, const std::filesystem::path& source,
                       const Options& options, const ProgressCallback& report,
                       std::stop_token stopToken);

} // namespace clarivex
