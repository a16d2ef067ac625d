#pragma once

#include "core/engine/engine_device.h"
#include "core/pipeline/upscale_job.h"
#include "core/process/tools.h"

#include <memory>

namespace clarivex {

class PhotoBatches;
class TileMemory;

// What one session (the window's, or one command line's) knows of its engine and shares
// between its jobs: the devices it runs on, the tile sizes found to fit them, and the engine
// runs that consecutive photos share. Both front ends ready a job here, so that a job of the
// window and one of the command line run with the same things filled in. Used from one thread
// at a time; the jobs it readies take shared parts that are safe on any thread.
class EngineSession {
public:
    EngineSession();

    // The job with the located tools and this session's devices, tiles and photo batches.
    UpscaleJob equip(UpscaleJob job, Tools tools) const;

    // The devices as far as they are known; empty: not yet, or they could not be learned.
    void setDevices(EngineDevices devices) { devices_ = std::move(devices); }
    const EngineDevices& devices() const { return devices_; }

    // Stops the engine of a run that photos share, which no job waits for once nothing is left
    // to run; does not wait for it.
    void stopSharedRuns();

private:
    EngineDevices devices_;
    std::shared_ptr<TileMemory> tiles_;
    std::shared_ptr<PhotoBatches> photoBatches_;
};

} // namespace clarivex
