#pragma once

#include "core/pipeline/upscale_job.h"
#include "core/process/shell.h"

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace clarivex::NetworkStep {

// What the engine is told besides the pictures and the model: the device ("-g") where it has a
// choice, and the tile size ("-t"; 0 leaves it to the engine).
struct EngineSettings {
    std::optional<int> gpu;
    int tile = 0;
};

// The engine's argument list: one picture into one picture, or a folder of frames into a
// folder of frames of the same names, with the plan's model and scale; "-g" and "-t" follow
// only when set.
std::vector<std::string> arguments(const Tools& tools, const Plan& plan,
                                   const std::filesystem::path& input,
                                   const std::filesystem::path& output,
                                   const EngineSettings& settings);

// Runs the network once, for the image path (a picture) and for each chunk of the video path
// (a folder), and checks what it made: every picture there, input × scale in size. The engine
// exits 0 even when the device ran out of memory, writing nothing, the wrong size or black;
// such a run, when its output names an allocation failure or explains nothing, is repeated with
// smaller tiles, and the tile that worked is kept in the job's TileMemory for the device and
// model. `onLine` sees every line the engine prints. Blocks; raises what Shell::run raises, and
// UpscaleError::failed with the engine's own lines when the result stays unusable.
void run(const UpscaleJob& job, const Plan& plan, const std::filesystem::path& input,
         const std::filesystem::path& output, const Shell::LineObserver& onLine,
         std::stop_token stopToken);

// A report's detail of `kind` with the notes of the model the job runs: its name and scale, the
// model it stands in for, and the tile this job's device and model run with when it is smaller
// than the engine would choose.
ProgressDetail modelDetail(ProgressDetail::Kind kind, const UpscaleJob& job, const Plan& plan);

} // namespace clarivex::NetworkStep
