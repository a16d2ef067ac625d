#include "core/upscale_outcome.h"

#include "core/vocabulary/upscale_error.h"

namespace clarivex {

UpscaleOutcome runUpscale(const Upscaler& upscaler, const std::filesystem::path& source,
                          const Options& options, const ProgressCallback& report,
                          std::stop_token stopToken) {
    try {
        return upscaler.run(source, options, report, stopToken);
    } catch (const Cancelled&) {
        return UpscaleCancelled{};
    } catch (...) {
        if (stopToken.stop_requested())
            return UpscaleCancelled{};
        return UpscaleFailure{failureMessage(std::current_exception())};
    }
}

} // namespace clarivex
