#pragma once

#include "app/queue/desktop_services.h"
#include "app/queue/engine_check.h"
#include "app/queue/job_queue.h"
#include "app/queue/location_lister.h"
#include "app/queue/options_model.h"
#include "app/queue/picture_loader.h"
#include "app/queue/queue_time.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QSettings;
class QWidget;

namespace clarivex {

// The window application's model as one object for the window, the shell and the snapshot to
// read: the job queue with its worker, the five settings, the job pictures, the engine check
// and the desktop around them. One per process, made after the QApplication
// by whoever runs the window and destroyed before it. Main thread only; the pipeline and the
// picture loads run on other threads and only post their results back.
class Store : public QObject {
    Q_OBJECT
public:
    // Everything the store takes from outside, so that tests can give their own.
    struct Environment {
        // The desktop's badge, sound, file manager and file chooser.
        std::shared_ptr<DesktopServices> desktop;
        // Where the five settings persist. Nothing: QSettings("Clarivex", "Clarivex").
        OptionsModel::SettingsStore settings;
        // Finds the external programs; raises UpscaleError when the engine is missing.
        // Called on the main thread at creation and when each job starts.
        std::function<Tools()> locateTools;
        // Runs one job, readied with what the engine check learned. Nothing: runUpscale.
        Pipeline pipeline;
        // Asks the engine for its Vulkan devices, in the background. Nothing: DeviceProbe::run.
        EngineCheck::Probe probeDevices;
        // Reads a file's size and frames for the queue's time. Nothing: SourceExtent::measure.
        QueueTime::Measure measureSource;
        // Decodes one picture for the window. Nothing: the real decoder.
        PictureLoader::Decode decode;
        // How many jobs (the focused one included) keep their large pictures.
        int picturesKept = 4;
        // Threads that decode the backlog of previews.
        int pictureThreads = 2;

        // The real desktop, the user's settings and discovery beside this executable.
        static Environment system();
    };

    // Reads the settings and checks for the engine.
    explicit Store(Environment environment, QObject* parent = nullptr);
    // Cancels what runs and waits for it (see cancelAllAndWait).
    ~Store() override;

    JobQueue& queue() { return queue_; }
    const JobQueue& queue() const { return queue_; }
    OptionsModel& settings() { return settings_; }
    PictureLoader& pictures() { return pictures_; }
    // What the pending jobs still need.
    QueueTime& queueTime() { return queueTime_; }
    // For the stage's "Показать в папке" and "Открыть".
    DesktopServices& desktop() const { return *environment_.desktop; }

    // The engine, its models and its device as far as they are known.
    EngineCheck& engine() { return engine_; }
    const EngineCheck& engine() const { return engine_; }
    // The sentence of the engine check; empty when the engine was found.
    QString engineError() const { return engine_.error(); }
    // The folder the engine check found the engine in; empty when it was not found.
    QString engineFolder() const { return engine_.folder(); }

    // Adds files and folders to the queue as JobQueue::add does, listing the folders off the
    // main thread: the jobs appear shortly after, in the order the requests came.
    void add(const std::vector<std::filesystem::path>& paths, bool start);
    // Whether every location given to add() has reached the queue.
    bool isListed() const { return lister_.isIdle(); }
    LocationLister& lister() { return lister_; }
    // Shows the file chooser and adds what was picked, with start.
    void openPanel(QWidget* parent = nullptr);
    int pendingCount() const { return queue_.pendingCount(); }
    // For quitting: cancels everything and waits up to `limit` until the running pipeline has
    // ended, its child processes are reaped and its working folder is gone (a running video
    // keeps its finished segments), and the picture loads have stopped for good; a device probe
    // is waited for a moment at most, never for its engine's grace. True when nothing runs any
    // more. Blocks the main thread.
    bool cancelAllAndWait(std::chrono::milliseconds limit);

private:
    // The model a job of this kind would run with the settings and the models of now.
    std::string modelFor(MediaKind kind) const;

    Environment environment_;
    EngineCheck engine_;
    OptionsModel settings_;
    JobQueue queue_;
    PictureLoader pictures_;
    LocationLister lister_;
    QueueTime queueTime_;
};

} // namespace clarivex
