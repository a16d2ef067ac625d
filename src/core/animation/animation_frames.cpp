#include "core/animation/animation_frames.h"

#include "core/pipeline/job_progress.h"
#include "core/process/shell.h"
#include "core/vocabulary/upscale_error.h"

#include <charconv>
#include <cstdio>

namespace clarivex {

namespace {

namespace fs = std::filesystem;
using ImageOps::Bitmap;
using JobProgress::Step;

std::string frameFile(std::int64_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(index));
    return name;
}

// ffmpeg composes an animated PNG's frames (their regions, disposal and blending) itself, and
// leaves out a still picture that is no frame of the animation.
fs::path extractPngFrames(const UpscaleJob& job, const AnimationInfo& info) {
    if (!job.tools.ffmpeg)
        throw UpscaleError::of(UpscaleError::Case::apngNeedsFFmpeg);
    const fs::path folder = job.work / "frames";
    fs::create_directories(folder);
    const auto onLine = [&](const std::string& line) {
        std::int64_t frames = 0;
        if (!line.starts_with("frame=") ||
            std::from_chars(line.data() + 6, line.data() + line.size(), frames).ec != std::errc())
            return;
        job.report(JobProgress::at(
            Step::extracting, static_cast<double>(frames) / static_cast<double>(info.frames()),
            {.kind = ProgressDetail::Kind::extracted, .done = frames, .total = info.frames()}));
    };
    Shell::run(*job.tools.ffmpeg,
               {"-v", "error", "-nostats", "-progress", "pipe:1", "-f", "apng", "-i",
                job.source.string(), "-map", "0:v:0", "-fps_mode", "passthrough", "-pix_fmt",
                info.alpha ? "rgba" : "rgb24", "-start_number", "0",
                (folder / "%06d.png").string()},
               onLine, job.stopToken);
    std::int64_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    if (count != info.frames())
        throw UpscaleError::badAnimation(UpscaleError::Case::animationShort, count, info.frames());
    return folder;
}

// The header's orientation and colour profile on a frame that ffmpeg wrote without them.
Bitmap withTagsOf(const Bitmap& header, const Bitmap& frame) {
    Bitmap tagged = frame.copy();
    for (const char* name : {VIPS_META_ORIENTATION, VIPS_META_ICC_NAME}) {
        GValue value = G_VALUE_INIT;
        if (vips_image_get(header.get_image(), name, &value) == 0) {
            vips_image_set(tagged.get_image(), name, &value);
            g_value_unset(&value);
        }
    }
    return tagged;
}

} // namespace

AnimationFrames::AnimationFrames(const UpscaleJob& job, const AnimationInfo& info)
    : info_(info) {
    ImageOps::startVips();
    if (info.format != AnimationFormat::png) {
        try {
            // Read in order, a frame at a time: with random access libvips would decode every
            // frame at the first one asked for, into memory or a file of its own.
            stack_ = Bitmap::new_from_file(job.source.c_str(),
                                           Bitmap::option()
                                               ->set("n", -1)
                                               ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                               ->set("fail_on", VIPS_FAIL_ON_ERROR));
        } catch (const vips::VError&) {
            vips_error_clear();
            throw UpscaleError::unsupported("не удалось прочитать картинку");
        }
        return;
    }
    header_ = ImageOps::openSource(job.source);
    extracted_ = extractPngFrames(job, info);
}

Bitmap AnimationFrames::frame(std::int64_t index) const {
    try {
        return ImageOps::toSrgb(decoded(index).autorot()).copy_memory();
    } catch (const vips::VError&) {
        vips_error_clear();
        throw UpscaleError::badAnimation(UpscaleError::Case::animationFrameBroken, index + 1,
                                         info_.frames());
    }
}

Bitmap AnimationFrames::decoded(std::int64_t index) const {
    if (info_.format != AnimationFormat::png) {
        const int pageHeight = stack_.get_int(VIPS_META_PAGE_HEIGHT);
        // In memory before it is turned upright, which reads it out of order.
        return stack_.crop(0, static_cast<int>(index * pageHeight), stack_.width(), pageHeight)
            .copy_memory();
    }
    return withTagsOf(header_, Bitmap::new_from_file((extracted_ / frameFile(index)).c_str()));
}

} // namespace clarivex
