#include "app/queue/engine_check.h"

#include "app/texts/pipeline_text.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>

namespace clarivex {

namespace {

// How long quitting waits for a probe told to stop: an engine that obeys ends at once, and its
// probe removes its working folder. One that ignores termination would hold the quit for the
// whole grace before it is killed; it is left to end with the process instead (its engine dies
// with us, and the next run's first job sweeps its folder away).
constexpr std::chrono::milliseconds probeWait{1000};

} // namespace

EngineCheck::EngineCheck(Locate locate, Probe probe, QObject* parent)
    : QObject(parent)
    , locate_(std::move(locate))
    , probe_(std::move(probe))
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
        missing(QString::fromStdString(
            PipelineText::error(UpscaleError::from(std::current_exception()))));
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
    return session_.devices().preferred();
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
    session_.setDevices(devices);
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

UpscaleJob EngineCheck::equip(UpscaleJob job) {
    return session_.equip(std::move(job), locate());
}

void EngineCheck::stopSharedRuns() {
    session_.stopSharedRuns();
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
