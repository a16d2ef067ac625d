#include "app/queue/engine_check.h"

#include "app/texts/pipeline_text.h"
#include "core/vocabulary/upscale_error.h"

#include <QMetaObject>

#include <algorithm>

namespace clarivex {

EngineCheck::EngineCheck(Locate locate, Probe probe, QObject* parent)
    : QObject(parent)
    , locate_(std::move(locate))
    , probe_(std::move(probe)) {
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
    ++generation_;
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
        for (ProbeRun& probe : probes_)
            probe.thread.request_stop();
        ++generation_;
        probing_ = false;
        setDevices(asked->second);
        return;
    }
    setDevices({});
    if (stopped_ || !probe_)
        return;
    // A probe of the engine that was replaced says nothing about this one; it is joined once
    // it has ended, whenever that is.
    for (ProbeRun& probe : probes_)
        probe.thread.request_stop();
    joinEndedProbes();
    probing_ = true;
    const int generation = ++generation_;
    auto ended = std::make_shared<std::atomic<bool>>(false);
    probes_.push_back(
        {std::jthread([this, tools, generation, probe = probe_, ended](std::stop_token stop) {
             EngineDevices devices;
             try {
                 devices = probe(tools, stop);
             } catch (...) {
                 // Stopped; the job itself says what is wrong with an engine that cannot start.
             }
             ended->store(true);
             // Queued to this object: dropped if it is gone by then (the destructor joins first).
             QMetaObject::invokeMethod(
                 this, [this, generation, devices] { probed(generation, devices); },
                 Qt::QueuedConnection);
         }),
         ended});
}

void EngineCheck::joinEndedProbes() {
    std::erase_if(probes_, [](ProbeRun& probe) {
        if (!probe.ended->load())
            return false;
        probe.thread.join();
        return true;
    });
}

void EngineCheck::probed(int generation, const EngineDevices& devices) {
    joinEndedProbes();
    if (generation != generation_)
        return;
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
    stopped_ = true;
    for (ProbeRun& probe : probes_)
        probe.thread.request_stop();
    probes_.clear();
    probing_ = false;
}

} // namespace clarivex
