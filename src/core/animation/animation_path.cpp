#include "core/animation/animation_path.h"

#include "core/animation/animation_frames.h"
#include "core/animation/apng_writer.h"
#include "core/engine/chunk_progress_watcher.h"
#include "core/engine/network_step.h"
#include "core/files/output_placement.h"
#include "core/image/image_path.h"
#include "core/pipeline/job_progress.h"
#include "core/vocabulary/frame_count.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace clarivex::AnimationPath {

namespace {

namespace fs = std::filesystem;
using ImageOps::Bitmap;
using JobProgress::Step;

std::int64_t pixelsOf(Size size) {
    return size.width * size.height;
}

std::int64_t saturatedProduct(std::int64_t first, std::int64_t second) {
    std::int64_t product = 0;
    return __builtin_mul_overflow(first, second, &product)
               ? std::numeric_limits<std::int64_t>::max()
               : product;
}

Size networkSize(const AnimationInfo& info, const Plan& plan) {
    return {info.canvas.width * plan.esrganScale, info.canvas.height * plan.esrganScale};
}

void requireWithinBound(const AnimationInfo& info, const Plan& plan) {
    const Size network = networkSize(info, plan);
    const Size largest = pixelsOf(network) >= pixelsOf(plan.output) ? network : plan.output;
    const std::int64_t total = saturatedProduct(info.frames(), pixelsOf(largest));
    if (total <= maxAnimationPixels && pixelsOf(network) <= ImagePath::maxNetworkPixels)
        return;
    throw UpscaleError::animationTooLarge(info.frames(), largest, total, maxAnimationPixels);
}

// A PNG of 8-bit pixels is at most a little larger than the pixels themselves.
std::int64_t pngBytes(Size size, bool alpha) {
    return saturatedProduct(pixelsOf(size), alpha ? 4 : 3) + 4096;
}

// The temporary folder holds one chunk before and after the network (and all of an animated
// PNG's frames, which libvips cannot read one by one); the destination the whole result.
void requireSpace(const UpscaleJob& job, const AnimationInfo& info, const Plan& plan,
                  std::int64_t chunk) {
    const std::int64_t sourceFrame = pngBytes(info.canvas, info.alpha);
    std::int64_t temporaryNeed =
        saturatedProduct(chunk, sourceFrame + pngBytes(networkSize(info, plan), info.alpha));
    if (info.format == AnimationFormat::png) {
        const std::int64_t sourceFrames = saturatedProduct(info.frames(), sourceFrame);
        temporaryNeed =
            std::min(temporaryNeed, std::numeric_limits<std::int64_t>::max() - sourceFrames) +
            sourceFrames;
    }
    const std::int64_t destinationNeed =
        saturatedProduct(info.frames(), pngBytes(plan.output, info.alpha));
    job.requireSpace(temporaryNeed, job.destination->path(), destinationNeed);
}

std::string frameFile(std::int64_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(index));
    return name;
}

// The same pixel format for every frame, as an animated PNG requires.
Bitmap withBands(const Bitmap& frame, bool alpha) {
    if (alpha && !frame.has_alpha())
        return frame.bandjoin_const({255});
    if (!alpha && frame.has_alpha())
        return frame.extract_band(0, Bitmap::option()->set("n", 3));
    return frame;
}

std::string encodedPng(const Bitmap& frame, std::int64_t index) {
    void* buffer = nullptr;
    size_t length = 0;
    try {
        frame.write_to_buffer(".png", &buffer, &length, Bitmap::option()->set("strip", true));
    } catch (const vips::VError&) {
        vips_error_clear();
        throw UpscaleError::frameNotEncoded(index + 1);
    }
    std::string bytes(static_cast<const char*>(buffer), length);
    g_free(buffer);
    return bytes;
}

// Everything one run works with.
struct Animation {
    const UpscaleJob& job;
    const AnimationInfo& info;
    const Plan& plan;
    const AnimationFrames& frames;
    ApngWriter& writer;
};

// One chunk of frames, [first, end): decoded into a folder, through the network, then each
// resampled to the exact size and written. "Кадр 12 из 40 · realesrgan-x4plus ×4" counts the
// frames the network has finished.
void runChunk(const Animation& animation, std::int64_t chunkIndex, std::int64_t first,
              std::int64_t end) {
    const UpscaleJob& job = animation.job;
    const Plan& plan = animation.plan;
    const std::int64_t total = animation.info.frames();
    const fs::path in = job.work / ("chunk-in-" + std::to_string(chunkIndex));
    const fs::path out = job.work / ("chunk-out-" + std::to_string(chunkIndex));
    fs::create_directories(in);
    fs::create_directories(out);
    for (std::int64_t index = first; index < end; ++index) {
        ImageOps::writeIntermediate(animation.frames.frame(index), in / frameFile(index));
        job.throwIfStopped();
    }
    const auto report = [&](std::int64_t written) {
        const std::int64_t done = first + std::min(written, end - first);
        ProgressDetail detail = NetworkStep::modelDetail(ProgressDetail::Kind::frames, job, plan);
        detail.done = done;
        detail.total = total;
        job.report(JobProgress::at(Step::upscaling,
                                   static_cast<double>(done) / static_cast<double>(total), detail));
    };
    {
        const ChunkProgressWatcher watcher(out, report);
        NetworkStep::run(job, plan, in, out, {}, job.stopToken);
    }
    std::error_code ignored;
    fs::remove_all(in, ignored);
    for (std::int64_t index = first; index < end; ++index) {
        const Bitmap enlarged = ImageOps::readResult(out / frameFile(index));
        const Bitmap result =
            withBands(ImageOps::resize(enlarged, plan.output), animation.info.alpha);
        animation.writer.add(encodedPng(result, index), animation.info.delays[index]);
        fs::remove(out / frameFile(index), ignored);
        job.throwIfStopped();
    }
    fs::remove_all(out, ignored);
    report(end - first);
}

} // namespace

PathOutcome run(const UpscaleJob& job, const AnimationInfo& info) {
    const Plan plan = Plan::make(
        info.canvas, job.options.target,
        job.tools.installedModels().pick(job.options.model, MediaKind::image), MediaKind::image);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(info.canvas, std::string(title(job.options.target)));
    requireWithinBound(info, plan);
    const std::int64_t chunk = std::max(job.chunkSize, 1);
    requireSpace(job, info, plan, chunk);

    const AnimationFrames frames(job, info);
    const std::string shownName = job.output.filename().string();
    StagedFile staged(*job.destination, pathExtension(job.output), shownName);
    ApngWriter writer(staged.descriptor(), info.frames(), info.plays, shownName);
    const Animation animation{job, info, plan, frames, writer};
    job.report(JobProgress::at(Step::upscaling, 0,
                               NetworkStep::modelDetail(ProgressDetail::Kind::network, job, plan)));
    for (std::int64_t first = 0; first < info.frames(); first += chunk)
        runChunk(animation, first / chunk, first, std::min(first + chunk, info.frames()));

    job.report(JobProgress::at(
        Step::writing, 0,
        {.kind = ProgressDetail::Kind::writing, .total = info.frames(), .size = plan.output}));
    writer.finish();
    job.throwIfStopped();
    const fs::path placed = staged.place([&job] { return job.freeOutputName(MediaKind::image); });
    return PathOutcome{plan, placed, info.frames()};
}

} // namespace clarivex::AnimationPath
