#pragma once

#include "core/vocabulary/plan.h"
#include "core/vocabulary/upscale_progress.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace clarivex::VideoProgress {

// The steps of a video job, in the order they run.
enum class Step { extracting, upscaling, encoding, looping, sound };

// Where a step's reports lie in the whole job's 0–1 range: from `start` at its beginning to `end`
// when it is complete. "Подготовка" (0) comes before and "Сохранение" (0.99, 1) after them.
struct Band {
    Step step;
    UpscaleProgress::Stage stage;
    double start;
    double end;
};

// The one table of the video path's fractions.
const Band& band(Step step);

// A report of `step` at `share` (0–1, clamped) of its band.
UpscaleProgress at(Step step, double share, std::string detail);

// How far the network has come: frames `first`+1 to `last` of the chunk it works on, of
// `total` frames (an estimate, shown with "~", until the extraction has ended), e.g.
// "Кадры 97–144 из ~240 · пачка 3 из ~5 · realesr-animevideov3 ×2".
std::string chunkDetail(std::int64_t first, std::int64_t last, std::int64_t total,
                        bool totalIsExact, std::int64_t chunkIndex, int chunkSize,
                        const Plan& plan);

// Passes reports on, never a smaller fraction after a larger one: reports come from several
// threads, and a frame estimate that grows as the extraction goes on would otherwise step back.
// Safe to call from any thread; reports are passed on one at a time, in order.
class Monotonic {
public:
    explicit Monotonic(ProgressCallback report);
    void operator()(const UpscaleProgress& progress);

private:
    ProgressCallback report_;
    std::mutex lock_;
    double highest_ = 0;
};

} // namespace clarivex::VideoProgress
