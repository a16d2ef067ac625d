#include "app/queue/pipeline.h"

#include "core/upscaler.h"

namespace clarivex {

UpscaleOutcome upscale(const Tools& tools, const std::filesystem::path& source,
                       const Options& options, const ProgressCallback& report,
                       std::stop_token stopToken) {
    Upscaler upscaler(tools);
    upscaler.chunkSize = 48;
    return runUpscale(upscaler, source, options, report, std::move(stopToken));
}

} // namespace clarivex
