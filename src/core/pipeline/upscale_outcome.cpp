#include "core/pipeline/upscale_outcome.h"

#include "core/pipeline/upscaler.h"

namespace clarivex {

UpscaleOutcome outcomeOf(const std::exception_ptr& error, const std::stop_token& stopToken) {
    try {
        std::rethrow_exception(error);
    } catch (const Cancelled& cancelled) {
        return UpscaleCancelled{cancelled.kept()};
    } catch (...) {
        if (stopToken.stop_requested())
            return UpscaleCancelled{};
        return UpscaleFailure{UpscaleError::from(std::current_exception())};
    }
}

UpscaleOutcome runToOutcome(const std::function<UpscaleResult()>& work,
                            const std::stop_token& stopToken) {
    try {
        return work();
    } catch (...) {
        return outcomeOf(std::current_exception(), stopToken);
    }
}

UpscaleOutcome runUpscale(UpscaleJob job) {
    const std::stop_token stopToken = job.stopToken;
    return runToOutcome([&job] { return Upscaler::run(std::move(job)); }, stopToken);
}

} // namespace clarivex
