#pragma once

#include "core/engine/engine_device.h"
#include "core/engine/tile_memory.h"
#include "core/files/output_placement.h"
#include "core/process/tools.h"
#include "core/video/video_chunk.h"
#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/options.h"
#include "core/vocabulary/plan.h"
#include "core/vocabulary/upscale_progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace clarivex {

class PhotoBatches;

// The file system a folder is on, and the bytes available there to this user.
struct FreeSpace {
    std::uint64_t fileSystem = 0;
    std::int64_t available = 0;
};
// The free space of a folder's file system, or nothing when the platform cannot say.
using FreeSpaceQuery = std::function<std::optional<FreeSpace>(const std::filesystem::path&)>;
std::optional<FreeSpace> availableSpace(const std::filesystem::path& folder);

// Everything one run of the pipeline works with. The caller fills in the tools, the source,
// the options, the observer and the stop token; `Upscaler::run` chooses `output` and `work`
// before it hands the job to the image or the video path. A value: copied freely, used from
// the job's thread (the observer may be called from others).
struct UpscaleJob {
    Tools tools{};
    std::filesystem::path source{};
    // The name chosen for the result up front; the path may still end elsewhere when the
    // name is taken meanwhile (see placeResult).
    std::filesystem::path output{};
    // The private working folder, removed by the driver however the job ends.
    std::filesystem::path work{};
    Options options{};
    ProgressCallback report{};
    // Stopped when the user stops the job: everything it made goes.
    std::stop_token stopToken{};
    // Stopped, before `stopToken`, when the job ends because the program ends (the window
    // quits, the session ends) rather than by the user's wish: a video then keeps its finished
    // segments for a later run of the same job to continue from.
    std::stop_token keepPartsToken{};
    int chunkSize = defaultChunkSize;
    // The engine's devices as far as they are known (empty: not yet): the engine is told to
    // prefer a graphics card over a software device.
    EngineDevices devices{};
    // Tile sizes that fit each device and model, shared by the jobs of one session, so that
    // only the first job that runs out of memory pays for finding one. None: not kept.
    std::shared_ptr<TileMemory> tiles{};
    // The photos waiting right behind this one, in the order they will run, which an engine
    // started for this photo may enlarge too (see PhotoBatches). Empty: none.
    std::vector<std::filesystem::path> followingPhotos{};
    // The engine runs that consecutive photos of a session share. None: each photo starts the
    // engine for itself.
    std::shared_ptr<PhotoBatches> photoBatches{};
    // How long one self-contained segment of a video's encode is: what an interrupted run
    // loses at most, and what is joined at the end.
    double segmentSeconds = 4.0;
    // The folder the result goes into, opened once by the driver: the result is placed
    // relative to it, whatever happens to its name meanwhile.
    std::shared_ptr<const OpenFolder> destination{};
    // Injected so that the low-disk refusal can be tested without filling a disk.
    FreeSpaceQuery freeSpace = availableSpace;

    // The first free name for a result of `kind` next to the source, by the naming rule.
    std::filesystem::path freeOutputName(MediaKind kind) const;
    // Moves a finished file into `destination` under the first free name, never replacing
    // anything (also what appeared since `output` was chosen); returns where it went.
    std::filesystem::path placeResult(const FinishedFile& finished, MediaKind kind) const;
    // Raises UpscaleError::lowDisk, before any work, where the temporary folder or `destination`
    // has less room than the job needs there. Each file system is asked once, for all that goes
    // onto it: a temporary folder on the same disk as the result adds its need to the result's.
    void requireSpace(std::int64_t temporaryNeed, const std::filesystem::path& destination,
                      std::int64_t destinationNeed) const;
    // Raises Cancelled once the user has asked to stop.
    void throwIfStopped() const;
    // Whether the job was stopped so that its finished parts are kept (keepPartsToken).
    bool keepsParts() const { return keepPartsToken.stop_requested(); }
};

// What a path produced: the plan it followed and where the finished file finally went.
struct PathOutcome {
    Plan plan;
    std::filesystem::path output;
    // For an animation: how many frames the result holds.
    std::optional<std::int64_t> frames{};
};

} // namespace clarivex
