#pragma once

#include "core/pipeline/upscale_job.h"
#include "core/vocabulary/upscale_error.h"
#include "core/vocabulary/upscale_progress.h"

#include <string>
#include <variant>

namespace clarivex {

// A run that ended with an error; `message` is the complete Russian sentence shown to the user.
struct UpscaleFailure {
    std::string message;
    bool operator==(const UpscaleFailure&) const = default;
};

// A run that was stopped on request.
struct UpscaleCancelled {
    // What was kept for a later run to continue from, in the user's words; empty when nothing.
    std::string kept{};
    bool operator==(const UpscaleCancelled&) const = default;
};

using UpscaleOutcome = std::variant<UpscaleResult, UpscaleFailure, UpscaleCancelled>;

// Runs the pipeline (Upscaler::run) for both front ends and never throws: every kind of
// exception becomes a failure with the user's sentence, here and nowhere else. Once the job's
// token was stopped, any ending but success is a cancellation, since a killed child often
// surfaces as another error.
UpscaleOutcome runUpscale(UpscaleJob job);

} // namespace clarivex
