#pragma once

#include "core/pipeline/upscale_job.h"
#include "core/pipeline/upscale_outcome.h"

#include <functional>

namespace clarivex {

// What the queue runs for one job, on the job's own thread: the job as the queue readied it
// (tools, source, options, the photos waiting right behind it, what the session knows of its
// engine) with the run's report callback and stop tokens filled in. It never throws: every
// ending is an outcome. The window runs runUpscale; tests hand the queue a scripted one.
using Pipeline = std::function<UpscaleOutcome(UpscaleJob job)>;

} // namespace clarivex
