#include "app/queue/picture_loader.h"

#include "app/queue/job.h"
#include "app/queue/job_queue.h"
#include "ui/paint/media_preview.h"

#include <malloc.h>

#include <algorithm>
#include <mutex>

namespace clarivex {

namespace {

constexpr int placeholderCells = 48;

// A long queue decodes many pictures on several threads, each once. Past its first large
// free, glibc raises its threshold for mapping blocks of their own, and the freed buffers of
// large pictures then stay in its heaps for good; a fixed threshold hands them back.
void returnLargeBuffersToTheSystem() {
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_MMAP_THRESHOLD, 1 << 20); });
}

PictureFit fitInside(const QSize& box) {
    return {{box.width(), box.height()}, false};
}

// A copy of a stage-sized preview that just covers a card, for a job out of focus.
QImage coveringCopy(const QImage& preview, const QSize& card) {
    if (preview.isNull())
        return {};
    const double factor = std::max(double(card.width()) / std::max(preview.width(), 1),
                                   double(card.height()) / std::max(preview.height(), 1));
    if (factor >= 1)
        return preview;
    return preview.scaled(std::max(1, int(preview.width() * factor)),
                          std::max(1, int(preview.height() * factor)), Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
}

} // namespace

// What the loader knows of one job's pictures.
struct PictureLoader::Track {
    // The stage size the preview was decoded for; empty while it is card-sized or missing.
    QSize previewSize;
    bool previewLoading = false;
    bool previewLoadingLarge = false;
    // The file gave no picture: it is not asked again.
    bool previewFailed = false;
    // The size the shown before and after were decoded for; empty while they are missing.
    QSize comparisonSize;
    bool comparisonLoading = false;
    bool comparisonFailed = false;
    // The loads under way, abandoned together: a late result of theirs is dropped.
    TaskRunner::Task preview;
    TaskRunner::Task comparison[2];
};

PictureLoader::PictureLoader(JobQueue& queue, Decode decode, int kept, int threads, QObject* parent)
    : QObject(parent)
    , queue_(queue)
    , decode_(std::move(decode))
    , residency_(kept)
    // Before and after side by side; nothing else waits behind them but the next focus.
    , focused_(this, 2)
    , backlog_(this, std::max(threads, 1)) {
    returnLargeBuffersToTheSystem();
    connect(&queue_, &JobQueue::jobsAdded, this, &PictureLoader::jobsAdded);
    connect(&queue_, &JobQueue::jobRemoved, this, &PictureLoader::jobRemoved);
    connect(&queue_, &JobQueue::focusedChanged, this, &PictureLoader::focusChanged);
}

PictureLoader::~PictureLoader() {
    stopAll(std::chrono::steady_clock::time_point::max());
}

QImage PictureLoader::decodeForWindow(const std::filesystem::path& file, MediaKind kind,
                                      const PictureFit& fit, std::stop_token stopToken) {
    const auto picture = PreviewDecoder::decode(file, kind, fit, std::move(stopToken));
    return picture ? MediaPreview::image(*picture) : QImage();
}

void PictureLoader::setSizes(const Sizes& sizes) {
    if (sizes_ == sizes)
        return;
    sizes_ = sizes;
    if (lastFocused_)
        ensure(lastFocused_);
}

bool PictureLoader::isLoadingComparison(const Job& job) const {
    const auto found = tracks_.find(job.id());
    return found != tracks_.end() && (*found)->comparisonLoading;
}

bool PictureLoader::stopAll(std::chrono::steady_clock::time_point deadline) {
    stopped_ = true;
    for (const auto& track : std::as_const(tracks_))
        abandon(*track);
    focused_.close();
    backlog_.close();
    const bool focusedDone = focused_.waitUntilIdle(deadline);
    const bool done = backlog_.waitUntilIdle(deadline) && focusedDone;
    if (done)
        running_ = 0;
    return done;
}

// Following the queue

void PictureLoader::jobsAdded(const QList<Job*>& jobs) {
    for (Job* job : jobs) {
        tracks_.insert(job->id(), std::make_shared<Track>());
        connect(job, &Job::statusChanged, this, [this, job] { statusChanged(job); });
    }
    // The focus settled before the jobs were announced, so the focused one is known.
    for (Job* job : jobs)
        ensure(job);
}

void PictureLoader::jobRemoved(Job* job) {
    disconnect(job, nullptr, this, nullptr);
    shownCards_.remove(job->id());
    if (const auto track = tracks_.take(job->id()))
        abandon(*track);
    residency_.forget(job->id());
    if (job == lastFocused_)
        lastFocused_ = nullptr;
}

void PictureLoader::focusChanged() {
    Job* now = queue_.focused();
    if (now == lastFocused_)
        return;
    // The focused lane serves the focused job alone: what it still decodes for the job that
    // left is abandoned, and comes again if that job is focused again.
    Job* left = lastFocused_;
    lastFocused_ = now;
    if (const auto track = left ? tracks_.value(left->id()) : nullptr) {
        if (track->comparisonLoading || track->previewLoadingLarge) {
            abandon(*track);
            // A job whose first preview was abandoned still needs one for its card.
            ensure(left);
        }
    }
    if (!now)
        return;
    for (const QUuid& id : residency_.touch(now->id())) {
        Job* evicted = queue_.job(id);
        if (const auto track = tracks_.value(id); evicted && track)
            release(evicted, *track);
    }
    ensure(now);
}

void PictureLoader::statusChanged(Job* job) {
    const auto track = tracks_.value(job->id());
    if (!track)
        return;
    // A new run makes a new result: its pictures are worth a try again.
    if (job->status().is(JobStatus::Case::running)) {
        track->comparisonFailed = false;
        track->comparisonSize = {};
    }
    ensure(job);
}

void PictureLoader::cardShown(Job& job) {
    if (shownCards_.contains(job.id()))
        return;
    shownCards_.insert(job.id());
    // A job the queue has not announced yet is started on when it is.
    if (tracks_.contains(job.id()))
        ensure(&job);
}

// Loading

void PictureLoader::ensure(Job* job) {
    const auto found = tracks_.find(job->id());
    if (stopped_ || found == tracks_.end())
        return;
    Track& track = **found;
    // Large pictures are decoded for the focused job only; the jobs focused before it keep
    // theirs until they leave the residency.
    const bool focused = job == lastFocused_;
    if (!track.previewLoading && !track.previewFailed) {
        if (focused && track.previewSize != sizes_.stage)
            loadPreview(job, track, true);
        else if (job->preview().isNull() && shownCards_.contains(job->id()))
            loadPreview(job, track, false);
    }
    if (focused && job->status().result() && !track.comparisonLoading && !track.comparisonFailed &&
        track.comparisonSize != sizes_.comparison)
        loadComparison(job, track);
}

void PictureLoader::loadPreview(Job* job, Track& track, bool large) {
    const QSize size = large ? sizes_.stage : sizes_.card;
    const PictureFit fit =
        large ? fitInside(size) : PictureFit{{size.width(), size.height()}, true};
    track.previewLoading = true;
    track.previewLoadingLarge = large;
    const bool wantsPlaceholder = job->pixelated().isNull();
    track.preview = start(
        large ? Lane::focused : Lane::backlog,
        [this, decode = decode_, file = job->url(), kind = job->kind(), fit, id = job->id(), large,
         size, wantsPlaceholder](std::stop_token stopToken, const TaskRunner::Deliver& deliver) {
            QImage picture = decode(file, kind, fit, stopToken);
            QImage placeholder = wantsPlaceholder && !picture.isNull()
                                     ? MediaPreview::pixelated(picture, placeholderCells)
                                     : QImage();
            deliver([this, id, large, size, picture = std::move(picture),
                     placeholder = std::move(placeholder)] {
                Job* job = queue_.job(id);
                const auto track = tracks_.value(id);
                if (!job || !track)
                    return;
                track->previewLoading = false;
                track->previewLoadingLarge = false;
                if (!picture.isNull()) {
                    job->setPreview(picture);
                    track->previewSize = large ? size : QSize();
                    if (!placeholder.isNull() && job->pixelated().isNull())
                        job->setPixelated(placeholder);
                } else if (job->preview().isNull()) {
                    track->previewFailed = true;
                }
                // The focus may have moved while the picture was decoded.
                ensure(job);
            });
        });
}

void PictureLoader::loadComparison(Job* job, Track& track) {
    struct Pair {
        std::mutex lock;
        QImage pictures[2];
        int arrived = 0;
    };
    auto pair = std::make_shared<Pair>();
    const std::filesystem::path files[2] = {job->url(), job->status().result()->output};
    const PictureFit fit = fitInside(sizes_.comparison);
    track.comparisonLoading = true;
    const QUuid id = job->id();
    const QSize size = sizes_.comparison;
    for (int index = 0; index < 2; ++index) {
        track.comparison[index] =
            start(Lane::focused,
                  [this, pair, decode = decode_, file = files[index], kind = job->kind(), fit,
                   index, id, size](std::stop_token stopToken, const TaskRunner::Deliver& deliver) {
                      QImage picture = decode(file, kind, fit, stopToken);
                      const std::lock_guard guard(pair->lock);
                      pair->pictures[index] = std::move(picture);
                      // The later of the two hands both over.
                      if (++pair->arrived < 2)
                          return;
                      deliver([this, id, size, before = std::move(pair->pictures[0]),
                               after = std::move(pair->pictures[1])] {
                          Job* job = queue_.job(id);
                          const auto track = tracks_.value(id);
                          if (!job || !track)
                              return;
                          track->comparisonLoading = false;
                          track->comparisonFailed = before.isNull() || after.isNull();
                          track->comparisonSize = track->comparisonFailed ? QSize() : size;
                          job->setBefore(before);
                          job->setAfter(after);
                          Q_EMIT comparisonSettled(job);
                          ensure(job);
                      });
                  });
    }
}

void PictureLoader::release(Job* job, Track& track) {
    abandon(track);
    track.comparisonSize = {};
    job->setBefore({});
    job->setAfter({});
    if (track.previewSize.isValid()) {
        track.previewSize = {};
        job->setPreview(coveringCopy(job->preview(), sizes_.card));
    }
}

void PictureLoader::abandon(Track& track) {
    if (!track.previewLoading && !track.comparisonLoading)
        return;
    track.preview.abandon();
    for (const TaskRunner::Task& load : track.comparison)
        load.abandon();
    track.previewLoading = false;
    track.previewLoadingLarge = false;
    track.comparisonLoading = false;
}

TaskRunner::Task PictureLoader::start(Lane lane, TaskRunner::Work work) {
    ++running_;
    return (lane == Lane::focused ? focused_ : backlog_).start(std::move(work), [this] {
        finished();
    });
}

void PictureLoader::finished() {
    // Loads under way when stopAll() closed the runners never tell their end; nothing waits
    // for them.
    if (running_ > 0 && --running_ == 0)
        Q_EMIT idle();
}

} // namespace clarivex
