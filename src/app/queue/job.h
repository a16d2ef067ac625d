#pragma once

#include "app/queue/job_status.h"
#include "core/vocabulary/media_kind.h"

#include <QImage>
#include <QObject>
#include <QUuid>

#include <chrono>
#include <filesystem>
#include <optional>

namespace clarivex {

// One file the user handed to the window: its identity, where it stands and its pictures.
// Lives on the main thread; every member is for the main thread only. Jobs have no
// behaviour: the queue makes every status transition (the stage's buttons ask it to), and the
// picture loader sets the pictures. A null QImage stands for "no picture".
class Job : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUuid id READ id CONSTANT)
    Q_PROPERTY(QString fileName READ fileName CONSTANT)
    Q_PROPERTY(clarivex::JobStatus status READ status WRITE setStatus NOTIFY statusChanged)
    Q_PROPERTY(QImage preview READ preview WRITE setPreview NOTIFY previewChanged)
    Q_PROPERTY(QImage pixelated READ pixelated WRITE setPixelated NOTIFY pixelatedChanged)
    Q_PROPERTY(QImage before READ before WRITE setBefore NOTIFY beforeChanged)
    Q_PROPERTY(QImage after READ after WRITE setAfter NOTIFY afterChanged)

public:
    using Status = JobStatus;
    using Clock = std::chrono::system_clock;

    // A fresh id, status `waiting`, no pictures, never started. Main thread.
    Job(std::filesystem::path url, MediaKind kind, QObject* parent = nullptr);

    // Main thread (constant after creation).
    QUuid id() const { return id_; }
    const std::filesystem::path& url() const { return url_; }
    MediaKind kind() const { return kind_; }
    // The last path component, as the cards and the stage show it.
    QString fileName() const;

    // Main thread. Writers notify only when the value really changed.
    const JobStatus& status() const { return status_; }
    void setStatus(JobStatus status);

    // The source as the stage shows it, at most 1400 pixels along its longer side (first frame
    // of a video), or as its queue card shows it while the job is out of focus.
    const QImage& preview() const { return preview_; }
    void setPreview(QImage preview);
    // A tiny copy of the preview, 48 cells across; shown enlarged without smoothing.
    const QImage& pixelated() const { return pixelated_; }
    void setPixelated(QImage pixelated);
    // Source and result for the comparison slider, as large as it can show them. Kept only for
    // the focused job and a few recent ones, and loaded again on refocus.
    const QImage& before() const { return before_; }
    void setBefore(QImage before);
    const QImage& after() const { return after_; }
    void setAfter(QImage after);

    // When the current run began; not observable. Main thread.
    std::optional<Clock::time_point> startedAt() const { return startedAt_; }
    void setStartedAt(std::optional<Clock::time_point> startedAt) { startedAt_ = startedAt; }

Q_SIGNALS:
    void statusChanged();
    void previewChanged();
    void pixelatedChanged();
    void beforeChanged();
    void afterChanged();

private:
    const QUuid id_;
    const std::filesystem::path url_;
    const MediaKind kind_;
    JobStatus status_;
    QImage preview_;
    QImage pixelated_;
    QImage before_;
    QImage after_;
    std::optional<Clock::time_point> startedAt_;
};

} // namespace clarivex
