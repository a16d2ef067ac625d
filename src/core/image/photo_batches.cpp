#include "core/image/photo_batches.h"

#include "core/image/photo_batch.h"

namespace clarivex {

PhotoBatches::PhotoBatches() = default;
PhotoBatches::~PhotoBatches() = default;

std::shared_ptr<PhotoBatch> PhotoBatches::current(const UpscaleJob& job) {
    std::shared_ptr<PhotoBatch> dropped;
    {
        const std::lock_guard guard(lock_);
        if (current_ && current_->holds(job))
            return current_;
        dropped = std::move(current_);
    }
    // Its engine, if it still runs, works for photos no job will ask for: the queue moved on.
    return nullptr;
}

void PhotoBatches::release(const std::shared_ptr<PhotoBatch>& batch) {
    std::shared_ptr<PhotoBatch> dropped;
    const std::lock_guard guard(lock_);
    if (current_ == batch && batch->exhausted())
        dropped = std::move(current_);
}

void PhotoBatches::stopEngine() {
    const std::lock_guard guard(lock_);
    if (current_)
        current_->stopEngine();
}

bool PhotoBatches::enlarge(const UpscaleJob& job, const Plan& plan, const ImageOps::Bitmap& opened,
                           const std::filesystem::path& enlarged) {
    std::shared_ptr<PhotoBatch> batch = current(job);
    if (!batch) {
        if (job.followingPhotos.empty())
            return false;
        batch = std::make_shared<PhotoBatch>(job, plan, opened);
        if (!batch->shared())
            return false;
        const std::lock_guard guard(lock_);
        current_ = batch;
    }
    try {
        const bool taken = batch->take(job, enlarged);
        release(batch);
        return taken;
    } catch (...) {
        release(batch);
        throw;
    }
}

} // namespace clarivex
