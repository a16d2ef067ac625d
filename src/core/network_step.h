#pragma once

#include "core/process/shell.h"
#include "core/upscale_job.h"

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

namespace clarivex::NetworkStep {

// The engine's argument list: one picture into one picture, or a folder of frames into a
// folder of frames of the same names, with the plan's model and scale.
std::vector<std::string> arguments(const Tools& tools, const Plan& plan,
                                   const std::filesystem::path& input,
                                   const std::filesystem::path& output);

// Runs the network once, for the image path (a picture) and for each chunk of the video path
// (a folder). `onLine` sees every line the engine prints. Blocks; raises what Shell::run raises.
void run(const UpscaleJob& job, const Plan& plan, const std::filesystem::path& input,
         const std::filesystem::path& output, const Shell::LineObserver& onLine,
         std::stop_token stopToken);

} // namespace clarivex::NetworkStep
