#include "app/queue/pipeline.h"

namespace clarivex {

UpscaleOutcome upscale(const Tools& tools, const std::filesystem::path& source,
                       const Options& options, const ProgressCallback& report,
                       std::stop_token stopToken) {
    return runUpscale({.tools = tools,
                       .source = source,
                       .options = options,
                       .report = report,
                       .stopToken = std::move(stopToken)});
}

} // namespace clarivex
