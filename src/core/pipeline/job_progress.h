#pragma once

#include "core/vocabulary/upscale_progress.h"

#include <mutex>
#include <string>

namespace clarivex::JobProgress {

// The steps of a job on either path. The image path runs preparing, upscaling, writing,
// copying, finished; the video path preparing, extracting, upscaling, encoding, then looping or
// joining (the segments, with sound and the other tracks), copying, finished. Copying only when a
// copy is asked for.
enum class Step {
    preparing,
    extracting,
    upscaling,
    encoding,
    writing,
    looping,
    joining,
    copying,
    finished
};

// Where a step's reports lie in the whole job's 0–1 range: from `start` at its beginning to
// `end` when it is complete. Each step ends where or before the next one on its path begins.
struct Band {
    Step value;
    UpscaleProgress::Stage stage;
    double start;
    double end;
};

// The one table of the pipeline's fractions.
const Band& band(Step step);

// A report of `step` at `share` (0–1, clamped) of its band.
UpscaleProgress at(Step step, double share, ProgressDetail detail = {});

// Passes reports on, never a smaller fraction after a larger one: reports come from several
// threads, a frame estimate that grows as the extraction goes on would otherwise step back, and
// a network that starts over would too. Safe to call from any thread; reports are passed on one
// at a time, in order.
class Monotonic {
public:
    explicit Monotonic(ProgressCallback report);
    void operator()(const UpscaleProgress& progress);

private:
    ProgressCallback report_;
    std::mutex lock_;
    double highest_ = 0;
};

} // namespace clarivex::JobProgress
