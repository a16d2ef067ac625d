#include "core/engine/network_step.h"

#include "core/engine/engine_output.h"
#include "core/engine/tile_memory.h"
#include "core/image/image_ops.h"
#include "core/pipeline/job_progress.h"
#include "core/vocabulary/upscale_error.h"

#include <vips/vips8>

#include <algorithm>

namespace clarivex::NetworkStep {

namespace {

namespace fs = std::filesystem;
using vips::VImage;

std::string deviceOf(const UpscaleJob& job) {
    const auto device = job.devices.preferred();
    return device ? device->name : std::string();
}

// Through a source of its own rather than by name: libvips caches what it loaded by the file's
// name, and a retry writes new pictures under the same names.
VImage freshlyRead(const fs::path& file) {
    return VImage::new_from_source(vips::VSource::new_from_file(file.c_str()), "");
}

// The picture's colour bands, without alpha: a transparent picture is not black for that.
bool isBlack(const VImage& image) {
    return image.extract_band(0, VImage::option()->set("n", std::min(image.bands(), 3))).max() == 0;
}

// Why the picture the engine made from `input` is unusable, or nothing when it is fine. The
// pixels are read only when the engine ran out of memory, which may leave a black picture.
std::optional<EngineProblem> problemWith(const fs::path& input, const fs::path& made,
                                         const std::string& what, int scale, bool lookForBlack) {
    using Kind = EngineProblem::Kind;
    std::error_code error;
    if (!fs::is_regular_file(made, error))
        return EngineProblem{Kind::noResult, what};
    try {
        const VImage source = freshlyRead(input);
        const VImage result = freshlyRead(made);
        const Size expected{std::int64_t{source.width()} * scale,
                            std::int64_t{source.height()} * scale};
        const Size got = ImageOps::sizeOf(result);
        if (got != expected)
            return EngineProblem{Kind::wrongSize, what, got, expected};
        if (lookForBlack && isBlack(result) && !isBlack(source))
            return EngineProblem{Kind::black, what};
    } catch (const vips::VError&) {
        vips_error_clear();
        return EngineProblem{Kind::corrupt, what};
    }
    return std::nullopt;
}

std::optional<EngineProblem> problemWithResult(const fs::path& input, const fs::path& output,
                                               int scale, bool lookForBlack) {
    ImageOps::startVips();
    if (!fs::is_directory(input))
        return problemWith(input, output, {}, scale, lookForBlack);
    std::vector<fs::path> frames;
    for (const auto& entry : fs::directory_iterator(input)) {
        if (entry.is_regular_file())
            frames.push_back(entry.path());
    }
    std::sort(frames.begin(), frames.end());
    for (const fs::path& frame : frames) {
        const std::string name = frame.stem().string() + ".png";
        if (auto problem = problemWith(frame, output / name, name, scale, lookForBlack))
            return problem;
    }
    return std::nullopt;
}

// A failed attempt must not leave pictures that pass for the next attempt's.
void removeResult(const fs::path& output) {
    std::error_code ignored;
    if (!fs::is_directory(output, ignored)) {
        fs::remove(output, ignored);
        return;
    }
    for (const auto& entry : fs::directory_iterator(output, ignored))
        fs::remove_all(entry.path(), ignored);
}

} // namespace

std::vector<std::string> arguments(const Tools& tools, const Plan& plan,
                                   const std::filesystem::path& input,
                                   const std::filesystem::path& output,
                                   const EngineSettings& settings) {
    std::vector<std::string> list{"-i", input.string(),
                                  "-o", output.string(),
                                  "-n", plan.model,
                                  "-s", std::to_string(plan.esrganScale),
                                  "-m", tools.models.string(),
                                  "-f", "png"};
    if (settings.gpu) {
        list.push_back("-g");
        list.push_back(std::to_string(*settings.gpu));
    }
    if (settings.tile != TileMemory::engineChoice) {
        list.push_back("-t");
        list.push_back(std::to_string(settings.tile));
    }
    return list;
}

void run(const UpscaleJob& job, const Plan& plan, const std::filesystem::path& input,
         const std::filesystem::path& output, const Shell::LineObserver& onLine,
         std::stop_token stopToken) {
    const std::string device = deviceOf(job);
    EngineSettings settings{job.devices.gpuArgument(), job.tiles
                                                           ? job.tiles->tileFor(device, plan.model)
                                                           : TileMemory::engineChoice};
    while (true) {
        EngineOutput said;
        const auto observe = [&](const std::string& line) {
            said.add(line);
            if (onLine)
                onLine(line);
        };
        try {
            Shell::run(job.tools.esrgan, arguments(job.tools, plan, input, output, settings),
                       observe, stopToken);
        } catch (const UpscaleError&) {
            // Some builds do exit with an error when out of memory; that is worth a retry too.
            if (!said.namesAllocationFailure())
                throw;
        }
        const auto problem =
            problemWithResult(input, output, plan.esrganScale, said.namesAllocationFailure());
        if (!problem) {
            if (job.tiles && settings.tile != TileMemory::engineChoice)
                job.tiles->remember(device, plan.model, settings.tile);
            return;
        }
        const bool outOfMemory = said.namesAllocationFailure() || !said.explains();
        const auto smaller = TileMemory::smaller(settings.tile);
        if (!outOfMemory || !smaller) {
            throw UpscaleError::badResult(*problem, said.explains() ? said.explanation() : "",
                                          said.namesAllocationFailure() ? settings.tile : 0);
        }
        settings.tile = *smaller;
        removeResult(output);
        job.report(
            JobProgress::at(JobProgress::Step::upscaling, 0,
                            {.kind = ProgressDetail::Kind::tileRetry, .tile = settings.tile}));
    }
}

ProgressDetail modelDetail(ProgressDetail::Kind kind, const UpscaleJob& job, const Plan& plan) {
    return {.kind = kind,
            .model = plan.model,
            .scale = plan.esrganScale,
            .modelInsteadOf = plan.insteadOf,
            .tile = job.tiles ? job.tiles->tileFor(deviceOf(job), plan.model)
                              : TileMemory::engineChoice};
}

} // namespace clarivex::NetworkStep
