#pragma once

#include "app/queue/picture_residency.h"
#include "app/queue/task_runner.h"
#include "core/preview/preview_decoder.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace clarivex {

class Job;
class JobQueue;

// The pictures of the queue's jobs, decoded off the main thread at the size they are shown:
// a job's preview once a view shows its card (card-sized), or once it is focused (stage-sized),
// and a done job's before and after for the comparison slider once it is focused. It
// watches the queue and never holds it. Only the focused job and the few focused before it keep
// their large pictures; the others give them up and get them again when focused. Loads for the
// focused job go ahead of the backlog of previews, and a load for a job that left the focus is
// abandoned. Lives on the main thread; every member is for the main thread.
class PictureLoader : public QObject {
    Q_OBJECT
public:
    // How large each picture is decoded, in device pixels.
    struct Sizes {
        // A queue card, covered edge to edge.
        QSize card{224, 140};
        // The stage's preview, fitted inside.
        QSize stage{1400, 1400};
        // The slider's before and after, fitted inside: its largest box at its largest zoom.
        QSize comparison{5600, 5600};

        bool operator==(const Sizes&) const = default;
    };
    // Decodes one picture; a null image for none. Called on the loading threads.
    using Decode = std::function<QImage(const std::filesystem::path& file, MediaKind kind,
                                        const PictureFit& fit, std::stop_token stopToken)>;

    // `kept`: how many jobs keep their large pictures (the focused one included); `threads`:
    // how many decode the backlog of previews.
    PictureLoader(JobQueue& queue, Decode decode, int kept, int threads, QObject* parent = nullptr);
    // Abandons every load and waits for the threads.
    ~PictureLoader() override;

    // The real decoder, adapted for the window.
    static QImage decodeForWindow(const std::filesystem::path& file, MediaKind kind,
                                  const PictureFit& fit, std::stop_token stopToken);

    Sizes sizes() const { return sizes_; }
    // The window tells what it shows; the focused job's pictures are loaded again to fit.
    void setSizes(const Sizes& sizes);

    // A view shows this job's card: it gets its preview from now on, as soon as it lacks one.
    void cardShown(Job& job);

    // Whether the before and after of this done job are still on their way.
    bool isLoadingComparison(const Job& job) const;
    // Whether no load is under way.
    bool isIdle() const { return running_ == 0; }

    // For quitting: abandons every load and waits until `deadline` for the threads; true when
    // they are all free. Loads never start again.
    bool stopAll(std::chrono::steady_clock::time_point deadline);

Q_SIGNALS:
    // A done job's comparison arrived, or turned out to be unavailable.
    void comparisonSettled(clarivex::Job* job);
    // The last load under way ended.
    void idle();

private:
    struct Track;
    enum class Lane { focused, backlog };

    void jobsAdded(const QList<Job*>& jobs);
    void jobRemoved(Job* job);
    void focusChanged();
    void statusChanged(Job* job);
    // Starts what `job` lacks for where it stands now.
    void ensure(Job* job);
    void loadPreview(Job* job, Track& track, bool large);
    void loadComparison(Job* job, Track& track);
    // Takes the large pictures away from a job out of focus.
    void release(Job* job, Track& track);
    // Stops the loads under way for a job; their results are dropped when they come.
    void abandon(Track& track);
    // A load that tells finished() when it has ended, whatever became of its result.
    TaskRunner::Task start(Lane lane, TaskRunner::Work work);
    void finished();

    JobQueue& queue_;
    Decode decode_;
    Sizes sizes_;
    PictureResidency residency_;
    QHash<QUuid, std::shared_ptr<Track>> tracks_;
    // The jobs whose cards a view has shown; may name jobs not yet announced by the queue.
    QSet<QUuid> shownCards_;
    TaskRunner focused_;
    TaskRunner backlog_;
    bool stopped_ = false;
    int running_ = 0;
    Job* lastFocused_ = nullptr;
};

} // namespace clarivex
