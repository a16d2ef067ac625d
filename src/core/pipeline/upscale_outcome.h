#pragma once

#include "core/pipeline/upscale_job.h"
#include "core/vocabulary/upscale_error.h"
#include "core/vocabulary/upscale_progress.h"

#include <exception>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <variant>

namespace clarivex {

// A run that ended with an error.
struct UpscaleFailure {
    UpscaleError error;
    bool operator==(const UpscaleFailure&) const = default;
};

// A run that was stopped on request.
struct UpscaleCancelled {
    // What was kept for a later run to continue from; nothing when nothing was.
    std::optional<KeptFrames> kept{};
    bool operator==(const UpscaleCancelled&) const = default;
};

using UpscaleOutcome = std::variant<UpscaleResult, UpscaleFailure, UpscaleCancelled>;

// The outcome of the exception that ended a job (or the readying of one), for both front ends:
// every kind of exception becomes a failure with its case and facts here and nowhere else.
// Once the job's token was stopped, any ending but success is a cancellation, since a killed
// child often surfaces as another error.
UpscaleOutcome outcomeOf(const std::exception_ptr& error, const std::stop_token& stopToken);

// Runs `work` (a job, and whatever readies it) and gives how it ended; never throws.
UpscaleOutcome runToOutcome(const std::function<UpscaleResult()>& work,
                            const std::stop_token& stopToken);

// The pipeline (Upscaler::run) through runToOutcome.
UpscaleOutcome runUpscale(UpscaleJob job);

} // namespace clarivex
