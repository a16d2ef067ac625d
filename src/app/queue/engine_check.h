#pragma once

#include "app/queue/task_runner.h"
#include "core/engine/engine_device.h"
#include "core/engine/installed_models.h"
#include "core/pipeline/engine_session.h"
#include "core/process/tools.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

namespace clarivex {

// The engine as this session knows it: where discovery found it (or why it did not), which of
// its models are installed, and the Vulkan devices it runs on, asked of the engine itself on a
// thread of its own once per engine, never blocking the window. Looked at again whenever a job
// starts and the application comes to the front, so that a reinstall shows at once; a replaced
// engine is asked for its devices again, and the probe of the old one is only told to stop: the
// main thread never waits for a probe (an engine that ignores termination takes seconds to be
// killed), not even when the check itself goes. An engine asked once is never asked again in the
// session (asking costs an engine start of seconds), also when it comes back after it went
// missing or another stood in its place. It readies each job with what it knows, so that the job
// runs on the preferred device with the tile sizes this session found to fit. Main thread.
class EngineCheck : public QObject {
    Q_OBJECT
public:
    // Discovery, on the main thread; raises UpscaleError when the engine is missing.
    using Locate = std::function<Tools()>;
    // Asks the engine for its devices (DeviceProbe::run), on the probe's thread.
    using Probe = std::function<EngineDevices(const Tools& tools, std::stop_token stopToken)>;

    EngineCheck(Locate locate, Probe probe, QObject* parent = nullptr);
    // Stops the probes under way; waits for none of them.
    ~EngineCheck() override;

    // Discovery again, and what follows from it; raises what discovery raises.
    Tools locate();
    // The same, where nothing waits for the tools.
    void refresh();

    // The sentence of the last discovery; empty when the engine was found.
    QString error() const { return error_; }
    // The folder the engine was found in; empty when it was not.
    QString folder() const { return folder_; }
    const InstalledModels& models() const { return models_; }
    // The device jobs run on; nothing while it is being asked for or could not be learned.
    std::optional<EngineDevice> device() const;
    bool isProbing() const { return probing_; }

    // Discovery again, and `job` with the tools and what this session knows of its engine
    // filled in (EngineSession::equip); raises what discovery raises.
    UpscaleJob equip(UpscaleJob job);
    // Stops the engine of a run that photos share, which no job waits for once the queue has
    // nothing left to run; does not wait for it.
    void stopSharedRuns();
    // Stops the probes under way, waiting for none of them (a stopped probe still reaps its
    // engine, on its own thread); none starts after, and none reports.
    void stop();
    // For quitting, after stop(): waits until `deadline`, but never past a moment after stop(),
    // for the probes told to stop; true when none runs any more.
    bool waitForProbes(std::chrono::steady_clock::time_point deadline) const;

Q_SIGNALS:
    // Anything above changed.
    void changed();

private:
    // What tells one installation from another: a reinstall replaces the executable.
    struct Identity {
        std::filesystem::path executable;
        std::filesystem::file_time_type modified;
        bool operator==(const Identity&) const = default;
    };

    void found(const Tools& tools);
    void missing(const QString& error);
    void startProbe(const Tools& tools);
    // Sets the devices jobs run on.
    void setDevices(const EngineDevices& devices);
    void probed(const EngineDevices& devices);

    Locate locate_;
    Probe probe_;
    EngineSession session_;
    QString error_;
    QString folder_;
    InstalledModels models_;
    std::optional<Identity> identity_;
    // What each engine asked in this session named.
    std::vector<std::pair<Identity, EngineDevices>> asked_;
    bool probing_ = false;
    bool stopped_ = false;
    std::chrono::steady_clock::time_point stoppedAt_;
    // A new generation for each engine asked: what a probe of another would still say is
    // dropped.
    TaskRunner probes_;
};

} // namespace clarivex
