#include "core/video/video_progress.h"

#include <algorithm>
#include <array>

namespace clarivex::VideoProgress {

namespace {

using Stage = UpscaleProgress::Stage;

// Extraction only shows until the first chunk is ready, since it then runs beside the network,
// which takes nearly all of the time. Encoding too runs beside the network; what is left of it
// after the last chunk, and the final pass, take the rest.
constexpr std::array<Band, 5> bands{{
    {Step::extracting, Stage::extracting, 0.0, 0.02},
    {Step::upscaling, Stage::upscaling, 0.02, 0.92},
    {Step::encoding, Stage::encoding, 0.93, 0.95},
    {Step::looping, Stage::looping, 0.95, 0.99},
    {Step::sound, Stage::encoding, 0.97, 0.99},
}};

std::string approximately(std::int64_t count, bool exact) {
    return (exact ? "" : "~") + std::to_string(count);
}

} // namespace

const Band& band(Step step) {
    return *std::find_if(bands.begin(), bands.end(),
                         [step](const Band& candidate) { return candidate.step == step; });
}

UpscaleProgress at(Step step, double share, std::string detail) {
    const Band& found = band(step);
    const double clamped = std::clamp(share, 0.0, 1.0);
    return UpscaleProgress{found.stage, found.start + (found.end - found.start) * clamped,
                           std::move(detail)};
}

std::string chunkDetail(std::int64_t first, std::int64_t last, std::int64_t total,
                        bool totalIsExact, std::int64_t chunkIndex, int chunkSize,
                        const Plan& plan) {
    const std::int64_t size = std::max(chunkSize, 1);
    const std::int64_t chunks = std::max<std::int64_t>((total + size - 1) / size, chunkIndex + 1);
    return "Кадры " + std::to_string(first + 1) + "–" + std::to_string(last) + " из " +
           approximately(total, totalIsExact) + " · пачка " + std::to_string(chunkIndex + 1) +
           " из " + approximately(chunks, totalIsExact) + " · " + plan.model + " ×" +
           std::to_string(plan.esrganScale);
}

Monotonic::Monotonic(ProgressCallback report)
    : report_(std::move(report)) {}

void Monotonic::operator()(const UpscaleProgress& progress) {
    std::lock_guard guard(lock_);
    UpscaleProgress passed = progress;
    passed.fraction = std::max(passed.fraction, highest_);
    highest_ = passed.fraction;
    if (report_)
        report_(passed);
}

} // namespace clarivex::VideoProgress
