#pragma once

#include "core/image/image_ops.h"
#include "core/pipeline/upscale_job.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace clarivex {

class PhotoBatch;

// The engine runs a session's consecutive photos share (PhotoBatch): at most one at a time,
// kept from the job that started it to the last of its photos, and given up as soon as a job
// comes that it does not hold. Shared by the jobs of one session; any thread.
class PhotoBatches {
public:
    PhotoBatches();
    ~PhotoBatches();

    // The job's photo (opened, with its plan) enlarged by a run it shares with its neighbours:
    // taken out of the run an earlier photo started, or out of a run started now for it and
    // those of `job.followingPhotos` that share its model and scale. Links the engine's picture
    // at `enlarged` and returns true; false when the job should run the engine alone (no photo
    // to share with, or the shared run could not make this one). Blocks; raises Cancelled when
    // the job is stopped, and what preparing its own photo raises.
    bool enlarge(const UpscaleJob& job, const Plan& plan, const ImageOps::Bitmap& opened,
                 const std::filesystem::path& enlarged);

    // Stops the engine of the run kept for photos still to come, when none will come (their jobs
    // were cancelled): a job that asks later runs the engine alone. Does not wait for it.
    void stopEngine();

private:
    std::shared_ptr<PhotoBatch> current(const UpscaleJob& job);
    void release(const std::shared_ptr<PhotoBatch>& batch);

    std::mutex lock_;
    std::shared_ptr<PhotoBatch> current_;
};

} // namespace clarivex
