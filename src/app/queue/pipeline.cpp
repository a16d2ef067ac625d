#include "app/queue/pipeline.h"

namespace clarivex {

UpscaleOutcome upscale(const Tools& tools, const std::filesystem::path& source,
                       const Options& options, const ProgressCallback& report,
                       std::stop_token stopToken, std::stop_token keepPartsToken) {
    return runUpscale({.tools = tools,
                       .source = source,
                       .options = options,
                       .report = report,
                       .stopToken = std::move(stopToken),
                       .keepPartsToken = std::move(keepPartsToken)});
}

} // namespace clarivex
