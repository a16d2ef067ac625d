#include "app/queue/engine_check.h"

#include "core/image/photo_batches.h"
#include "core/pipeline/upscale_outcome.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <mutex>

namespace clarivex {

namespace {

// How long quitting waits for a probe told to stop: an engine that obeys ends at once, and its
// probe removes its working folder. One that ignores termination would hold the quit for the
// whole grace before it is killed; it is left to end with the process instead (its engine dies
// with us, and the next run's first job sweeps its folder away).
constexpr std::chrono::milliseconds probeWait{1000};

} // namespace

// What the jobs' threads read while the main thread learns.
struct EngineCheck::Shared {
    mutable std::mutex lock;
    EngineDevices devices;
    const std::shared_ptr<TileMemory> tiles = std::make_shared<TileMemory>();
    const std::shared_ptr<PhotoBatches> photoBatches = std::make_shared<PhotoBatches>();

    EngineDevices currentDevices() const {
        const std::lock_guard guard(lock);
        return devices;
    }
};

EngineCheck::EngineCheck(Locate locate, Probe probe, QObject* parent)
    : QObject(parent)
    , locate_(std::move(locate))
    , probe_(std::move(probe))
    , shared_(std::make_shared<Shared>())
    , probes_(this) {
    refresh();
}

EngineCheck::~EngineCheck() {
    stop();
}

Tools EngineCheck::locate() {
    try {
        const Tools tools = locate_();
        found(tools);
        return tools;
    } catch (...) {
        missing(QString::fromStdString(failureMessage(std::current_exception())));
        throw;
    }
}

void EngineCheck::refresh() {
    try {
        locate();
    } catch (...) {
        // Already told: error() says why.
    }
}

std::optional<EngineDevice> EngineCheck::device() const {
    return shared_->currentDevices().preferred();
}

void EngineCheck::found(const Tools& tools) {
    std::error_code error;
    const Identity identity{tools.esrgan, std::filesystem::last_write_time(tools.esrgan, error)};
    const InstalledModels models = tools.installedModels();
    const QString folder = QString::fromStdString(tools.esrgan.parent_path().string());
    const bool replaced = identity_ != identity;
    if (!replaced && models == models_ && error_.isEmpty() && folder == folder_)
        return;
    error_.clear();
    folder_ = folder;
    models_ = models;
    identity_ = identity;
    if (replaced)
        startProbe(tools);
    Q_EMIT changed();
}

void EngineCheck::missing(const QString& error) {
    if (error == error_ && !identity_)
        return;
    error_ = error;
    folder_.clear();
    models_ = {};
    identity_.reset();
    probes_.abandonAll();
    probing_ = false;
    setDevices({});
    Q_EMIT changed();
}

void EngineCheck::setDevices(const EngineDevices& devices) {
    const std::lock_guard guard(shared_->lock);
    shared_->devices = devices;
}

void EngineCheck::startProbe(const Tools& tools) {
    const auto asked = std::find_if(asked_.begin(), asked_.end(),
                                    [this](const auto& known) { return known.first == identity_; });
    if (asked != asked_.end()) {
        // Whatever a probe of another engine would still say is no longer wanted.
        probes_.abandonAll();
        probing_ = false;
        setDevices(asked->second);
        return;
    }
    setDevices({});
    if (stopped_ || !probe_)
        return;
    // A probe of the engine that was replaced says nothing about this one; it ends whenever its
    // engine does, and nothing waits for it.
    probes_.abandonAll();
    probing_ = true;
    probes_.start(
        [this, tools, probe = probe_](std::stop_token stop, const TaskRunner::Deliver& deliver) {
            EngineDevices devices;
            try {
                devices = probe(tools, stop);
            } catch (...) {
                // Stopped; the job itself says what is wrong with an engine that cannot start.
            }
            deliver([this, devices] { probed(devices); });
        });
}

void EngineCheck::probed(const EngineDevices& devices) {
    probing_ = false;
    setDevices(devices);
    // An engine that named nothing may only have failed to start, and is asked again when it
    // is seen anew.
    if (devices.known() && identity_)
        asked_.emplace_back(*identity_, devices);
    Q_EMIT changed();
}

Pipeline EngineCheck::pipeline() const {
    return [shared = shared_](const Tools& tools, const std::filesystem::path& source,
                              const Options& options,
                              const std::vector<std::filesystem::path>& followingPhotos,
                              const ProgressCallback& report, std::stop_token stopToken,
                              std::stop_token keepPartsToken) {
        return runUpscale({.tools = tools,
                           .source = source,
                           .options = options,
                           .report = report,
                           .stopToken = std::move(stopToken),
                           .keepPartsToken = std::move(keepPartsToken),
                           .devices = shared->currentDevices(),
                           .tiles = shared->tiles,
                           .followingPhotos = followingPhotos,
                           .photoBatches = shared->photoBatches});
    };
}

void EngineCheck::stopSharedRuns() {
    shared_->photoBatches->stopEngine();
}

void EngineCheck::stop() {
    if (!stopped_)
        stoppedAt_ = std::chrono::steady_clock::now();
    stopped_ = true;
    probes_.close();
    probing_ = false;
}

bool EngineCheck::waitForProbes(std::chrono::steady_clock::time_point deadline) const {
    return probes_.waitUntilIdle(std::min(deadline, stoppedAt_ + probeWait));
}

} // namespace clarivex
