#include "core/network_step.h"

namespace clarivex::NetworkStep {

std::vector<std::string> arguments(const Tools& tools, const Plan& plan,
                                   const std::filesystem::path& input,
                                   const std::filesystem::path& output) {
    return {"-i", input.string(),
            "-o", output.string(),
            "-n", plan.model,
            "-s", std::to_string(plan.esrganScale),
            "-m", tools.models.string(),
            "-f", "png"};
}

void run(const UpscaleJob& job, const Plan& plan, const std::filesystem::path& input,
         const std::filesystem::path& output, const Shell::LineObserver& onLine,
         std::stop_token stopToken) {
    Shell::run(job.tools.esrgan, arguments(job.tools, plan, input, output), onLine, stopToken);
}

} // namespace clarivex::NetworkStep
