#include "core/pipeline/upscale_outcome.h"

#include "core/pipeline/upscaler.h"

namespace clarivex {

UpscaleOutcome runUpscale(UpscaleJob job) {
    const std::stop_token stopToken = job.stopToken;
    try {
        return Upscaler::run(std::move(job));
    } catch (const Cancelled& cancelled) {
        return UpscaleCancelled{cancelled.kept()};
    } catch (...) {
        if (stopToken.stop_requested())
            return UpscaleCancelled{};
        return UpscaleFailure{failureMessage(std::current_exception())};
    }
}

} // namespace clarivex
