#include "app/queue/store.h"

#include "app/queue/file_expansion.h"
#include "app/queue/picture_residency.h"
#include "app/queue/pipeline_run.h"
#include "app/queue/settings.h"
#include "app/queue/system_desktop_services.h"
#include "core/upscale_outcome.h"
#include "core/upscaler.h"
#include "ui/paint/media_preview.h"

#include <QHash>
#include <QMetaObject>
#include <QSettings>
#include <QThreadPool>

#include <malloc.h>

#include <algorithm>
#include <mutex>

namespace clarivex {

namespace {

constexpr int previewSide = 1400;
constexpr int placeholderCells = 48;
// Comparison pictures and refocus reloads go ahead of the backlog of previews.
constexpr int urgentPriority = 10;

// A long queue decodes many large pictures on several threads, each once. Past its first
// large free, glibc raises its threshold for mapping blocks of their own, and the freed
// buffers of 4K pictures then stay in its heaps for good; a fixed threshold hands them back.
void returnLargeBuffersToTheSystem() {
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_MMAP_THRESHOLD, 1 << 20); });
}

// The picture a queue card fills (112 × 70 points) at twice the density.
QImage cardSized(const QImage& preview) {
    if (preview.isNull())
        return {};
    const double factor =
        std::max(224.0 / std::max(preview.width(), 1), 140.0 / std::max(preview.height(), 1));
    if (factor >= 1)
        return preview;
    return preview.scaled(std::max(1, static_cast<int>(preview.width() * factor)),
                          std::max(1, static_cast<int>(preview.height() * factor)),
                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

// The pool that decodes pictures, and which jobs hold their large ones.
struct Store::PictureLoads {
    explicit PictureLoads(const Environment& environment)
        : residency(environment.picturesKept) {
        pool.setMaxThreadCount(std::max(environment.pictureThreads, 1));
    }

    QThreadPool pool;
    std::stop_source stop;
    PictureResidency residency;
    // Whether a loading thread should hand over the large preview: a copy of the residency
    // that the loading threads may read.
    bool wantsLarge(const QUuid& id) {
        const std::lock_guard guard(residentLock);
        return resident.contains(id);
    }
    void mirrorResidency(const QList<Job*>& jobs) {
        QSet<QUuid> ids;
        for (const Job* job : jobs)
            if (residency.holds(job->id()))
                ids.insert(job->id());
        const std::lock_guard guard(residentLock);
        resident = std::move(ids);
    }

    std::mutex residentLock;
    QSet<QUuid> resident;
    // Jobs whose preview is the large one, and done jobs whose before/after were dropped.
    QSet<QUuid> largePreview;
    QSet<QUuid> picturesDropped;
    // Reloads under way, so that a job focused twice is not loaded twice.
    QSet<QUuid> reloading;
};

Store::Environment Store::Environment::system() {
    Environment environment;
    environment.desktop = std::make_shared<SystemDesktopServices>();
    environment.locateTools = [] { return Tools::locate(Bundle::current()); };
    return environment;
}

Store::Store(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment))
    , pictures_(std::make_unique<PictureLoads>(environment_)) {
    returnLargeBuffersToTheSystem();
    if (!environment_.desktop)
        environment_.desktop = std::make_shared<SystemDesktopServices>();
    if (!environment_.settings)
        environment_.settings = [] { return std::make_unique<QSettings>("Clarivex", "Clarivex"); };
    if (!environment_.locateTools)
        environment_.locateTools = [] { return Tools::locate(Bundle::current()); };
    options_ = Settings::read(*environment_.settings());
    try {
        const Tools tools = environment_.locateTools();
        engineFolder_ = QString::fromStdString(tools.esrgan.parent_path().string());
    } catch (...) {
        engineError_ = QString::fromStdString(failureMessage(std::current_exception()));
    }
}

Store::~Store() {
    cancelAllAndWait(std::chrono::seconds(5));
    // Past the limit, wait for the pipeline all the same: it must not outlive the store.
    current_.reset();
    pictures_->pool.clear();
    pictures_->pool.waitForDone();
}

Store& Store::shared() {
    // Never destroyed: quitting cancels and waits through cancelAllAndWait while Qt still runs.
    static Store* instance = new Store(Environment::system());
    return *instance;
}

Job* Store::job(const QUuid& id) const {
    const auto found =
        std::find_if(jobs_.begin(), jobs_.end(), [&](const Job* job) { return job->id() == id; });
    return found == jobs_.end() ? nullptr : *found;
}

// Settings

void Store::saveSettings() {
    const auto settings = environment_.settings();
    Settings::write(*settings, options_);
    emit settingsChanged();
}

void Store::setModel(ModelChoice model) {
    options_.model = model;
    saveSettings();
    emit modelChanged();
}

void Store::setTarget(Target target) {
    options_.target = target;
    saveSettings();
    emit targetChanged();
}

void Store::setSeamlessLoop(bool seamlessLoop) {
    options_.seamlessLoop = seamlessLoop;
    saveSettings();
    emit seamlessLoopChanged();
}

void Store::setLoopFade(double loopFade) {
    options_.loopFade = loopFade;
    saveSettings();
    emit loopFadeChanged();
}

void Store::setCopyToPictures(bool copyToPictures) {
    options_.copyToPictures = copyToPictures;
    saveSettings();
    emit copyToPicturesChanged();
}

// Selection and derived values

void Store::setSelectedID(const QUuid& id) {
    if (selectedID_ == id)
        return;
    selectedID_ = id;
    emit selectedIDChanged();
    refreshFocus();
}

Job* Store::focused() const {
    if (Job* selected = selectedID_.isNull() ? nullptr : job(selectedID_))
        return selected;
    const auto running = std::find_if(jobs_.begin(), jobs_.end(), [](const Job* job) {
        return job->status().is(JobStatus::Case::running);
    });
    if (running != jobs_.end())
        return *running;
    const auto done = std::find_if(jobs_.rbegin(), jobs_.rend(), [](const Job* job) {
        return job->status().is(JobStatus::Case::done);
    });
    if (done != jobs_.rend())
        return *done;
    return jobs_.isEmpty() ? nullptr : jobs_.front();
}

int Store::pendingCount() const {
    return static_cast<int>(std::count_if(
        jobs_.begin(), jobs_.end(), [](const Job* job) { return job->status().isPending(); }));
}

bool Store::hasFinished() const {
    return std::any_of(jobs_.begin(), jobs_.end(),
                       [](const Job* job) { return job->status().isFinished(); });
}

bool Store::hasCurrent() const {
    return current_ != nullptr;
}

// Adding

QList<Job*> Store::add(const std::vector<std::filesystem::path>& paths, bool start) {
    QList<Job*> added;
    for (const auto& path : expandLocations(paths)) {
        const auto kind = mediaKindOf(path);
        std::error_code error;
        if (!kind || std::filesystem::is_directory(path, error))
            continue;
        auto* job = new Job(path, *kind, this);
        appendJob(job);
        added.push_back(job);
    }
    if (!added.isEmpty()) {
        emit jobsChanged();
        statusChanged();
    }
    // After the focus has settled, so that the focused job's preview comes at full size.
    for (Job* job : added)
        loadPreview(job);
    if (start)
        startIfNeeded();
    return added;
}

QList<Job*> Store::add(const QList<QUrl>& urls, bool start) {
    std::vector<std::filesystem::path> paths;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            paths.emplace_back(url.toLocalFile().toStdString());
    return add(paths, start);
}

Job* Store::addDemonstration(const std::filesystem::path& file, MediaKind kind, JobStatus status) {
    auto* job = new Job(std::filesystem::absolute(file), kind, this);
    job->setStatus(std::move(status));
    appendJob(job);
    emit jobsChanged();
    statusChanged();
    loadPreview(job);
    return job;
}

void Store::appendJob(Job* job) {
    jobs_.push_back(job);
    connect(job, &Job::statusChanged, this, &Store::statusChanged);
}

void Store::openPanel(QWidget* parent) {
    const auto chosen = environment_.desktop->chooseFiles(parent);
    if (!chosen.empty())
        add(chosen, true);
}

// Pictures

void Store::loadPreview(Job* job) {
    const QUuid id = job->id();
    const auto file = job->url();
    const MediaKind kind = job->kind();
    const auto stop = pictures_->stop.get_token();
    PictureLoads* pictures = pictures_.get();
    // Only the jobs in focus keep the large preview; the rest get a card-sized copy right on
    // the loading thread, so that a folder of a thousand photos never sits in memory at
    // 1400 pixels.
    pictures_->pool.start([this, pictures, id, file, kind, stop] {
        if (stop.stop_requested())
            return;
        const QImage preview = MediaPreview::load(file, kind, previewSide, stop);
        if (preview.isNull())
            return;
        QImage placeholder = MediaPreview::pixelated(preview, placeholderCells);
        const bool large = pictures->wantsLarge(id);
        QImage shown = large ? preview : cardSized(preview);
        QMetaObject::invokeMethod(
            this,
            [this, id, large, shown = std::move(shown), placeholder = std::move(placeholder)] {
                Job* job = this->job(id);
                if (!job)
                    return;
                job->setPreview(shown);
                job->setPixelated(placeholder);
                if (large)
                    pictures_->largePreview.insert(id);
                if (large != pictures_->residency.holds(id))
                    large ? dropPictures(job) : reloadPictures(job);
            },
            Qt::QueuedConnection);
    });
}

void Store::loadComparison(const std::filesystem::path& source, const std::filesystem::path& output,
                           MediaKind kind, std::function<void(QImage, QImage)> loaded) {
    struct Pair {
        std::mutex lock;
        QImage pictures[2];
        int arrived = 0;
    };
    auto pair = std::make_shared<Pair>();
    auto shared = std::make_shared<std::function<void(QImage, QImage)>>(std::move(loaded));
    const auto stop = pictures_->stop.get_token();
    const std::filesystem::path files[2] = {source, output};
    // Two loads side by side, like the two pictures of the slider; the later one to finish
    // hands both over.
    for (int index = 0; index < 2; ++index) {
        pictures_->pool.start(
            [this, pair, shared, stop, kind, index, file = files[index]] {
                QImage picture;
                if (!stop.stop_requested())
                    picture = MediaPreview::load(file, kind, std::nullopt, stop);
                const std::lock_guard guard(pair->lock);
                pair->pictures[index] = std::move(picture);
                if (++pair->arrived < 2)
                    return;
                QMetaObject::invokeMethod(
                    this,
                    [shared, before = std::move(pair->pictures[0]),
                     after = std::move(pair->pictures[1])] { (*shared)(before, after); },
                    Qt::QueuedConnection);
            },
            urgentPriority);
    }
}

void Store::reloadPictures(Job* job) {
    const QUuid id = job->id();
    if (pictures_->reloading.contains(id))
        return;
    const bool needsPreview = !pictures_->largePreview.contains(id) && !job->preview().isNull();
    const bool needsComparison =
        pictures_->picturesDropped.contains(id) && job->status().result() != nullptr;
    if (!needsPreview && !needsComparison)
        return;
    pictures_->reloading.insert(id);
    const auto stop = pictures_->stop.get_token();
    if (needsPreview) {
        pictures_->pool.start(
            [this, id, file = job->url(), kind = job->kind(), stop] {
                QImage preview = MediaPreview::load(file, kind, previewSide, stop);
                QMetaObject::invokeMethod(
                    this,
                    [this, id, preview = std::move(preview)] {
                        Job* job = this->job(id);
                        if (!job || preview.isNull() || !pictures_->residency.holds(id))
                            return;
                        job->setPreview(preview);
                        pictures_->largePreview.insert(id);
                    },
                    Qt::QueuedConnection);
            },
            urgentPriority);
    }
    if (!needsComparison) {
        pictures_->reloading.remove(id);
        return;
    }
    loadComparison(job->url(), job->status().result()->output, job->kind(),
                   [this, id](QImage before, QImage after) {
                       pictures_->reloading.remove(id);
                       Job* job = this->job(id);
                       if (!job || !pictures_->residency.holds(id))
                           return;
                       pictures_->picturesDropped.remove(id);
                       job->setBefore(std::move(before));
                       job->setAfter(std::move(after));
                   });
}

void Store::dropPictures(Job* job) {
    const QUuid id = job->id();
    if (!job->before().isNull() || !job->after().isNull()) {
        if (job->status().result())
            pictures_->picturesDropped.insert(id);
        job->setBefore({});
        job->setAfter({});
    }
    if (pictures_->largePreview.remove(id))
        job->setPreview(cardSized(job->preview()));
}

void Store::refreshFocus() {
    Job* now = focused();
    if (now == lastFocused_)
        return;
    lastFocused_ = now;
    if (now) {
        const auto evicted = pictures_->residency.touch(now->id());
        pictures_->mirrorResidency(jobs_);
        for (const QUuid& id : evicted)
            if (Job* old = job(id))
                dropPictures(old);
        reloadPictures(now);
    }
    emit focusedChanged();
}

void Store::statusChanged() {
    emit countsChanged();
    refreshFocus();
}

// The worker

void Store::startIfNeeded() {
    if (working_)
        return;
    working_ = true;
    scheduleAdvance();
}

void Store::scheduleAdvance() {
    // Through the event loop, as a task of its own: whoever woke the worker (a drop, a
    // button) finishes first, and a long queue of failing jobs never deepens the stack.
    QMetaObject::invokeMethod(this, &Store::advance, Qt::QueuedConnection);
}

void Store::advance() {
    if (current_)
        return;
    while (true) {
        const auto next = std::find_if(jobs_.begin(), jobs_.end(), [](const Job* job) {
            return job->status().is(JobStatus::Case::waiting);
        });
        if (next == jobs_.end()) {
            working_ = false;
            refreshBadge();
            return;
        }
        if (process(*next))
            return;
    }
}

bool Store::process(Job* job) {
    std::optional<Tools> tools;
    try {
        tools = environment_.locateTools();
    } catch (...) {
        job->setStatus(JobStatus::failed(failureMessage(std::current_exception())));
        return false;
    }
    job->setStatus(JobStatus::running({}));
    job->setStartedAt(Job::Clock::now());
    setSelectedID(job->id());
    refreshBadge();
    const Options options = options_;

    const QUuid id = job->id();
    runningID_ = id;
    current_ = std::make_unique<PipelineRun>(
        this, *tools, job->url(), options,
        [this, id](const UpscaleProgress& progress) {
            // A report that arrives after the job has left `running` is dropped.
            Job* job = this->job(id);
            if (job && job->status().is(JobStatus::Case::running))
                job->setStatus(JobStatus::running(progress));
        },
        [this] { finishRun(); });
    emit currentChanged();
    return true;
}

void Store::finishRun() {
    const std::unique_ptr<PipelineRun> run = std::move(current_);
    const bool stopped = run->stopRequested();
    UpscaleOutcome outcome = run->finish();
    emit currentChanged();
    Job* job = this->job(runningID_);
    if (!job) {
        refreshBadge();
        scheduleAdvance();
        return;
    }
    if (auto* result = std::get_if<UpscaleResult>(&outcome)) {
        succeed(job, *result);
        return;
    }
    if (auto* failure = std::get_if<UpscaleFailure>(&outcome); failure && !stopped)
        job->setStatus(JobStatus::failed(failure->message));
    else
        job->setStatus(JobStatus::cancelled());
    refreshBadge();
    scheduleAdvance();
}

void Store::succeed(Job* job, const UpscaleResult& result) {
    const QUuid id = job->id();
    loadComparison(job->url(), result.output, job->kind(),
                   [this, id, result](QImage before, QImage after) {
                       if (Job* job = this->job(id)) {
                           job->setBefore(std::move(before));
                           job->setAfter(std::move(after));
                           job->setStatus(JobStatus::done(result));
                           setSelectedID(id);
                           ++celebration_;
                           emit celebrationChanged();
                           environment_.desktop->playSuccessSound();
                       }
                       refreshBadge();
                       scheduleAdvance();
                   });
}

void Store::refreshBadge() {
    const int count = pendingCount();
    environment_.desktop->setBadge(count);
    emit badgeChanged(count);
}

// Cancelling and clearing

void Store::cancelAll() {
    for (Job* job : jobs_)
        if (job->status().is(JobStatus::Case::waiting))
            job->setStatus(JobStatus::cancelled());
    cancelCurrent();
}

void Store::cancelCurrent() {
    if (current_)
        current_->requestStop();
}

bool Store::cancelAllAndWait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // The program ends rather than the user giving up on the job: its finished parts stay.
    if (current_)
        current_->interrupt();
    cancelAll();
    pictures_->stop.request_stop();
    pictures_->pool.clear();
    if (current_) {
        if (!current_->waitUntilEnded(deadline))
            return false;
        // The pipeline has returned, so its children are reaped and its working folder gone;
        // settle the job now rather than in an event the quitting loop may never run.
        finishRun();
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return pictures_->pool.waitForDone(static_cast<int>(std::max<qint64>(left.count(), 0)));
}

void Store::clearFinished() {
    QList<Job*> kept;
    QList<Job*> removed;
    for (Job* job : jobs_)
        (job->status().isFinished() ? removed : kept).push_back(job);
    if (removed.isEmpty())
        return;
    jobs_ = kept;
    for (Job* job : removed) {
        disconnect(job, nullptr, this, nullptr);
        pictures_->residency.forget(job->id());
        pictures_->largePreview.remove(job->id());
        pictures_->picturesDropped.remove(job->id());
        if (job == lastFocused_)
            lastFocused_ = nullptr;
        // Views may still hold the job until they have seen jobsChanged.
        job->deleteLater();
    }
    if (!selectedID_.isNull() && !job(selectedID_)) {
        selectedID_ = QUuid();
        emit selectedIDChanged();
    }
    emit jobsChanged();
    statusChanged();
}

void Store::retry(Job* job) {
    if (!job || !(job->status().is(JobStatus::Case::failed) ||
                  job->status().is(JobStatus::Case::cancelled)))
        return;
    job->setStatus(JobStatus::waiting());
    startIfNeeded();
}

} // namespace clarivex
