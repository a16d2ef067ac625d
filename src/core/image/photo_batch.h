#pragma once

#include "core/engine/engine_output.h"
#include "core/image/image_ops.h"
#include "core/pipeline/upscale_job.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

namespace clarivex {

class WorkingFolder;

// One engine run shared by consecutive photos with the same model and scale, so that they pay
// the engine's start (seconds: driver, model, pipelines) once rather than each. The engine takes
// the list of its input files as it starts, so every photo is prepared before: the photo of the
// job that makes the batch and those waiting behind it that plan the same model and scale, up to
// a bound. Each job then takes its own picture out of the run, as soon as that picture is
// whole, while the engine goes on with the next; a job that is stopped or fails affects no
// other, and a photo the shared run could not make is left to a run of its own.
//
// Made on the first job's thread; its members may be called from any thread. The engine runs on
// a thread of the batch's own, stopped and waited for, and its folder removed, when the batch
// goes.
class PhotoBatch {
public:
    // At most this many photos share one start, and together no more source pixels than
    // `maxPixels`: the first photo's result waits until every other photo is prepared.
    static constexpr int maxPhotos = 16;
    static constexpr std::int64_t maxPixels = 48'000'000;

    // Prepares the job's own photo (opened, with its plan) and those of `job.followingPhotos`
    // that share its model and scale, up to the first that does not (or cannot be read), and
    // starts the engine when there is more than one. Blocks while preparing; raises Cancelled
    // when the job is stopped, and what preparing its own photo raises.
    PhotoBatch(const UpscaleJob& job, const Plan& plan, const ImageOps::Bitmap& opened);
    // Stops the engine if it still runs, waits for it and removes the prepared photos.
    ~PhotoBatch();
    PhotoBatch(const PhotoBatch&) = delete;
    PhotoBatch& operator=(const PhotoBatch&) = delete;

    // Whether more than the first photo shares the run: otherwise nothing was started.
    bool shared() const;
    // Whether the photo of this job is in the batch and has not been asked for yet.
    bool holds(const UpscaleJob& job) const;
    // Whether every photo has been asked for.
    bool exhausted() const;
    // Asks the engine to stop, without waiting: the photos not taken yet then run alone.
    void stopEngine() { engine_.request_stop(); }

    // Waits until the job's picture is whole and links it at `enlarged`, reporting the job's
    // progress meanwhile. False when the shared run could not make it: the job then runs the
    // engine alone. Raises Cancelled when the job is stopped; the batch goes on for the others.
    bool take(const UpscaleJob& job, const std::filesystem::path& enlarged);

private:
    struct Member {
        std::filesystem::path source;
        Size prepared;
        std::string name;
        bool asked = false;
    };

    void prepare(const UpscaleJob& job, const ImageOps::Bitmap& opened, const std::string& name);
    void addFollowers(const UpscaleJob& job);
    void runEngine(std::stop_token stopToken);
    void engineLine(const std::string& line);
    // Whether the member's picture is whole: a PNG of the expected size, with its end. Called
    // with the lock held.
    bool whole(const Member& member) const;
    ProgressDetail detail(std::size_t index) const;

    UpscaleJob engineJob_;
    Plan plan_;
    std::unique_ptr<WorkingFolder> folder_;
    std::filesystem::path in_;
    std::filesystem::path out_;
    std::int64_t pixels_ = 0;

    EngineOutput said_;
    mutable std::mutex lock_;
    std::condition_variable_any changed_;
    std::vector<Member> members_;
    std::optional<double> fraction_;
    bool ended_ = false;
    bool failed_ = false;

    // Declared last so that it ends first: it uses everything above.
    std::jthread engine_;
};

} // namespace clarivex
