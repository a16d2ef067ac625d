#include "core/image/image_path.h"

#include "core/engine/network_step.h"
#include "core/files/output_placement.h"
#include "core/image/image_ops.h"
#include "core/image/photo_batches.h"
#include "core/pipeline/job_progress.h"
#include "core/vocabulary/decimal_text.h"
#include "core/vocabulary/upscale_error.h"

#include <cstdlib>

namespace clarivex::ImagePath {

namespace {

using JobProgress::Step;

// The engine prints its progress as lines like "45.00%"; every other line is ignored.
std::optional<double> percentFromLine(const std::string& line) {
    if (line.empty() || line.back() != '%')
        return std::nullopt;
    const auto first = line.find_first_not_of(" \t");
    const auto last = line.find_last_not_of(" \t", line.size() - 2);
    if (first == std::string::npos || last == std::string::npos || last < first)
        return std::nullopt;
    const std::string number = line.substr(first, last - first + 1);
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size())
        return std::nullopt;
    return value;
}

Size enlarged(Size size, int scale) {
    return Size{size.width * scale, size.height * scale};
}

void requireWithinMemory(Size source, const Plan& plan) {
    const Size network = enlarged(source, plan.esrganScale);
    if (static_cast<double>(network.width) * static_cast<double>(network.height) <=
        static_cast<double>(maxNetworkPixels))
        return;
    throw UpscaleError::pictureTooLarge(source, network, maxNetworkPixels);
}

// From the header, so that nothing is decoded for a refused picture.
Plan planFor(const UpscaleJob& job, const ImageOps::Bitmap& opened) {
    const Size sourceSize = ImageOps::uprightSize(opened);
    const Plan plan = Plan::make(
        sourceSize, job.options.target,
        job.tools.installedModels().pick(job.options.model, MediaKind::image), MediaKind::image);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(sourceSize, std::string(title(job.options.target)));
    requireWithinMemory(sourceSize, plan);
    return plan;
}

} // namespace

std::optional<UpscaleProgress> engineLineProgress(const std::string& line) {
    const auto percent = percentFromLine(line);
    if (!percent)
        return std::nullopt;
    return JobProgress::at(Step::upscaling, *percent / 100,
                           {.kind = ProgressDetail::Kind::enginePercent, .value = *percent});
}

Plan plan(const UpscaleJob& job) {
    return planFor(job, ImageOps::openSource(job.source));
}

PathOutcome run(const UpscaleJob& job) {
    const ImageOps::Bitmap opened = ImageOps::openSource(job.source);
    const Plan plan = planFor(job, opened);

    const std::filesystem::path input = job.work / "in.png";
    const std::filesystem::path upscaledFile = job.work / "up.png";
    if (!job.photoBatches || !job.photoBatches->enlarge(job, plan, opened, upscaledFile)) {
        ImageOps::writeIntermediate(ImageOps::decodeSource(opened), input);
        ProgressDetail starting =
            NetworkStep::modelDetail(ProgressDetail::Kind::network, job, plan);
        starting.profileIgnored = ImageOps::profileIgnored(opened);
        job.report(JobProgress::at(Step::upscaling, 0, starting));
        const auto onLine = [&job, &plan](const std::string& line) {
            if (auto progress = engineLineProgress(line)) {
                // Only the tile is said beside the engine's percent.
                progress->detail.tile =
                    NetworkStep::modelDetail(ProgressDetail::Kind::enginePercent, job, plan).tile;
                job.report(*progress);
            }
        };
        NetworkStep::run(job, plan, input, upscaledFile, onLine, job.stopToken);
    }

    job.report(JobProgress::at(Step::writing, 0,
                               {.kind = ProgressDetail::Kind::writing, .size = plan.output}));
    // The network step has checked its size: stretched to the target, a picture of the wrong
    // size would pass off a broken run as a result.
    const ImageOps::Bitmap upscaled = ImageOps::readResult(upscaledFile);
    const ImageOps::Bitmap result = ImageOps::resize(upscaled, plan.output);
    // A stop that arrives after the engine still means the user does not want the file.
    job.throwIfStopped();

    // Written beside the destination first, so that a failed write leaves nothing under the
    // output's name and a name taken meanwhile is never replaced.
    const std::string shownName = job.output.filename().string();
    StagedFile staged(*job.destination, pathExtension(job.output), shownName);
    ImageOps::write(result, staged.descriptor(), ImageOps::fileTypeFor(job.output), shownName);
    job.throwIfStopped();
    const std::filesystem::path placed =
        staged.place([&job] { return job.freeOutputName(MediaKind::image); });
    return PathOutcome{plan, placed};
}

} // namespace clarivex::ImagePath
