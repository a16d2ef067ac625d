#pragma once

#include "core/upscaler.h"
#include "core/vocabulary/upscale_error.h"
#include "core/vocabulary/upscale_progress.h"

#include <exception>
#include <filesystem>
#include <stop_token>
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
    bool operator==(const UpscaleCancelled&) const = default;
};

using UpscaleOutcome = std::variant<UpscaleResult, UpscaleFailure, UpscaleCancelled>;

// Runs the pipeline for both front ends and never throws: every kind of exception becomes a
// failure with the user's sentence, here and nowhere else. Once `stopToken` was stopped, any
// ending but success is a cancellation, since a killed child often surfaces as another error.
UpscaleOutcome runUpscale(const Upscaler& upscaler, const std::filesystem::path& source,
                          const Options& options, const ProgressCallback& report,
                          std::stop_token stopToken = {});

} // namespace clarivex
