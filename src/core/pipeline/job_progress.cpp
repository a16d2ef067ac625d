#include "core/pipeline/job_progress.h"

#include "core/vocabulary/vocabulary_table.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace clarivex::JobProgress {

namespace {

using Stage = UpscaleProgress::Stage;

// The network takes nearly all of a job's time. Extraction only shows until the first chunk is
// ready, since it then runs beside the network; encoding too runs beside the network, and what
// is left of it after the last chunk, and the final pass, take the rest.
constexpr std::array<Band, 9> bands{{
    {Step::preparing, Stage::preparing, 0.0, 0.0},
    {Step::extracting, Stage::extracting, 0.0, 0.02},
    {Step::upscaling, Stage::upscaling, 0.02, 0.92},
    {Step::encoding, Stage::encoding, 0.93, 0.95},
    {Step::writing, Stage::saving, 0.95, 0.95},
    {Step::looping, Stage::looping, 0.95, 0.99},
    {Step::joining, Stage::encoding, 0.97, 0.99},
    {Step::copying, Stage::saving, 0.99, 0.99},
    {Step::finished, Stage::saving, 1.0, 1.0},
}};
static_assert(listsEveryCaseInOrder(bands));

} // namespace

const Band& band(Step step) {
    return rowOf(bands, step);
}

UpscaleProgress at(Step step, double share, ProgressDetail detail) {
    const Band& found = band(step);
    // A tool that prints "nan%" must not poison every later report.
    const double clamped = std::isnan(share) ? 0.0 : std::clamp(share, 0.0, 1.0);
    // lerp lands exactly on both ends, so a complete step reports its band's end itself.
    const double fraction = std::lerp(found.start, found.end, clamped);
    return UpscaleProgress{found.stage, fraction, std::move(detail)};
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

} // namespace clarivex::JobProgress
