#include "core/pipeline/engine_session.h"

#include "core/engine/tile_memory.h"
#include "core/image/photo_batches.h"

namespace clarivex {

EngineSession::EngineSession()
    : tiles_(std::make_shared<TileMemory>())
    , photoBatches_(std::make_shared<PhotoBatches>()) {}

UpscaleJob EngineSession::equip(UpscaleJob job, Tools tools) const {
    job.tools = std::move(tools);
    job.devices = devices_;
    job.tiles = tiles_;
    job.photoBatches = photoBatches_;
    return job;
}

void EngineSession::stopSharedRuns() {
    photoBatches_->stopEngine();
}

} // namespace clarivex
