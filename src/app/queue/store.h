#pragma once

#include "app/queue/desktop_services.h"
#include "app/queue/job.h"
#include "core/process/tools.h"
#include "core/vocabulary/options.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSettings;
class QWidget;

Q_DECLARE_METATYPE(clarivex::ModelChoice)
Q_DECLARE_METATYPE(clarivex::Target)

namespace clarivex {

class PipelineRun;

// The window application's one model: the queue of jobs, the worker that runs them one at a
// time through the pipeline, the five user settings, the engine check made at creation and
// the job the window shows. Lives on the main thread, and every member below is for the main
// thread only unless its comment says otherwise; pipelines and picture loads run on other
// threads and only post their results back.
class Store : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<clarivex::Job*> jobs READ jobs NOTIFY jobsChanged)
    Q_PROPERTY(clarivex::ModelChoice model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(clarivex::Target target READ target WRITE setTarget NOTIFY targetChanged)
    Q_PROPERTY(bool seamlessLoop READ seamlessLoop WRITE setSeamlessLoop NOTIFY seamlessLoopChanged)
    Q_PROPERTY(double loopFade READ loopFade WRITE setLoopFade NOTIFY loopFadeChanged)
    Q_PROPERTY(bool copyToPictures READ copyToPictures WRITE setCopyToPictures NOTIFY
                   copyToPicturesChanged)
    Q_PROPERTY(QString engineError READ engineError NOTIFY engineErrorChanged)
    Q_PROPERTY(QUuid selectedID READ selectedID WRITE setSelectedID NOTIFY selectedIDChanged)
    Q_PROPERTY(int celebration READ celebration NOTIFY celebrationChanged)
    Q_PROPERTY(clarivex::Job* focused READ focused NOTIFY focusedChanged)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY countsChanged)
    Q_PROPERTY(bool hasFinished READ hasFinished NOTIFY countsChanged)
    Q_PROPERTY(bool hasCurrent READ hasCurrent NOTIFY currentChanged)

public:
    // Everything the store takes from outside, so that tests can give their own.
    struct Environment {
        // The desktop's badge, sound, file manager and file chooser.
        std::shared_ptr<DesktopServices> desktop;
        // Where the five settings persist. Nothing: QSettings("Clarivex", "Clarivex").
        std::function<std::unique_ptr<QSettings>()> settings;
        // Finds the external programs; raises UpscaleError when the engine is missing.
        // Called on the main thread at creation and when each job starts.
        std::function<Tools()> locateTools;
        // How many full-resolution picture sets (focused job included) stay in memory.
        int picturesKept = 4;
        // Threads that decode previews and comparison pictures.
        int pictureThreads = 2;

        // The real desktop, the user's settings and discovery beside this executable.
        static Environment system();
    };

    // Reads the settings and checks for the engine. Main thread.
    explicit Store(Environment environment, QObject* parent = nullptr);
    // Cancels what runs and waits for it (see cancelAllAndWait). Main thread.
    ~Store() override;

    // The instance the window, the shell and the snapshot share, made with
    // Environment::system() on first use. Main thread; needs a QApplication.
    static Store& shared();

    // The queue in the order the files were added. Main thread.
    const QList<Job*>& jobs() const { return jobs_; }
    // The job with this id, or nullptr. Main thread.
    Job* job(const QUuid& id) const;

    // Settings: plain assignment; every assignment saves all five. Main thread.
    ModelChoice model() const { return options_.model; }
    void setModel(ModelChoice model);
    Target target() const { return options_.target; }
    void setTarget(Target target);
    bool seamlessLoop() const { return options_.seamlessLoop; }
    void setSeamlessLoop(bool seamlessLoop);
    double loopFade() const { return options_.loopFade; }
    void setLoopFade(double loopFade);
    bool copyToPictures() const { return options_.copyToPictures; }
    void setCopyToPictures(bool copyToPictures);
    // The five settings as they are now. Main thread.
    Options options() const { return options_; }

    // The sentence of the engine check at creation; empty when the engine was found.
    QString engineError() const { return engineError_; }
    // The folder the engine check found the engine in; empty when it was not found.
    QString engineFolder() const { return engineFolder_; }

    // The job the user or the worker put in front; may name a job that no longer exists;
    // null for none. Main thread.
    QUuid selectedID() const { return selectedID_; }
    void setSelectedID(const QUuid& id);
    // Successful jobs since launch. Main thread.
    int celebration() const { return celebration_; }

    // The job the stage shows: the selected one, else the first running, else the last done,
    // else the first; nullptr for an empty queue. Main thread.
    Job* focused() const;
    // Jobs `running` or `waiting`. Main thread.
    int pendingCount() const;
    // Whether any job is `done`, `failed` or `cancelled`. Main thread.
    bool hasFinished() const;
    // Whether a pipeline runs now (the stage's cancel button acts on it). Main thread.
    bool hasCurrent() const;
    // Whether the worker is busy with the queue. Main thread.
    bool isWorking() const { return working_; }

    // Expands folders one level (hidden entries skipped, natural case-insensitive order),
    // makes a `waiting` job for every supported file, starts loading its preview, and with
    // `start` wakes the worker. Missing paths, unlistable folders and unsupported files are
    // skipped silently. Returns the jobs added. Main thread.
    QList<Job*> add(const std::vector<std::filesystem::path>& paths, bool start);
    // The same for dropped or handed-over locations; only local files count. Main thread.
    QList<Job*> add(const QList<QUrl>& urls, bool start);
    // Appends one job for `file` exactly as given, kind and status included, and loads its
    // preview; starts nothing. For the snapshot's demonstration queue. Main thread.
    Job* addDemonstration(const std::filesystem::path& file, MediaKind kind, JobStatus status);

    // Shows the file chooser and adds what was picked, with start. Main thread.
    void openPanel(QWidget* parent = nullptr);
    // Starts the worker unless it is already working. It runs the first `waiting` job in list
    // order, then looks again from the front. Main thread.
    void startIfNeeded();
    // Waiting jobs become `cancelled` at once; the running one when its pipeline has stopped.
    // Main thread.
    void cancelAll();
    // Stops the running pipeline, if any (the stage's cancel button). Main thread.
    void cancelCurrent();
    // For quitting: cancels everything and waits up to `limit` until the running pipeline has
    // ended, its child processes are reaped and its working folder is gone; a running video
    // keeps its finished segments, for the same file to continue from. True when nothing
    // runs any more. Picture loads stop too, for good: this is for quitting. Blocks the main
    // thread. Main thread.
    bool cancelAllAndWait(std::chrono::milliseconds limit);
    // Removes the `done`, `failed` and `cancelled` jobs, and a selection left dangling.
    // Main thread.
    void clearFinished();
    // "Повторить": a `failed` or `cancelled` job becomes `waiting` and the worker wakes.
    // Main thread.
    void retry(Job* job);

    // The desktop the store was made with, for the stage's "Показать в папке" and "Открыть".
    // Main thread.
    DesktopServices& desktop() const { return *environment_.desktop; }

signals:
    void jobsChanged();
    void modelChanged();
    void targetChanged();
    void seamlessLoopChanged();
    void loopFadeChanged();
    void copyToPicturesChanged();
    // After any of the five settings changed.
    void settingsChanged();
    void engineErrorChanged();
    void selectedIDChanged();
    void celebrationChanged();
    void focusedChanged();
    // A job's status changed or jobs came or went: pendingCount and hasFinished may differ.
    void countsChanged();
    void currentChanged();
    // The badge was refreshed (a job started or ended, or the worker stopped), with its count;
    // the window puts it in its title.
    void badgeChanged(int count);

private:
    struct PictureLoads;

    void saveSettings();
    void appendJob(Job* job);
    void loadPreview(Job* job);
    void loadComparison(const std::filesystem::path& source, const std::filesystem::path& output,
                        MediaKind kind, std::function<void(QImage, QImage)> loaded);
    void reloadPictures(Job* job);
    void dropPictures(Job* job);
    void refreshFocus();
    void statusChanged();
    void scheduleAdvance();
    void advance();
    // False when the job failed before it could start, so the worker looks further.
    bool process(Job* job);
    void finishRun();
    void succeed(Job* job, const UpscaleResult& result);
    void refreshBadge();

    Environment environment_;
    Options options_;
    QString engineError_;
    QString engineFolder_;
    QList<Job*> jobs_;
    QUuid selectedID_;
    int celebration_ = 0;
    bool working_ = false;
    std::unique_ptr<PipelineRun> current_;
    QUuid runningID_;
    std::unique_ptr<PictureLoads> pictures_;
    Job* lastFocused_ = nullptr;
};

} // namespace clarivex
