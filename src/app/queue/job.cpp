#include "app/queue/job.h"

namespace clarivex {

namespace {

// Sets `field` and notifies only on a real change, so that views redraw no more than needed.
template <typename Value, typename Signal>
void assign(Job* job, Value& field, Value value, Signal changed) {
    if (field == value)
        return;
    field = std::move(value);
    Q_EMIT(job->*changed)();
}

} // namespace

Job::Job(std::filesystem::path url, MediaKind kind, QObject* parent)
    : QObject(parent)
    , id_(QUuid::createUuid())
    , url_(std::move(url))
    , kind_(kind) {}

QString Job::fileName() const {
    return QString::fromStdString(url_.filename().string());
}

void Job::setStatus(JobStatus status) {
    assign(this, status_, std::move(status), &Job::statusChanged);
}

void Job::setPreview(QImage preview) {
    assign(this, preview_, std::move(preview), &Job::previewChanged);
}

void Job::setPixelated(QImage pixelated) {
    assign(this, pixelated_, std::move(pixelated), &Job::pixelatedChanged);
}

void Job::setBefore(QImage before) {
    assign(this, before_, std::move(before), &Job::beforeChanged);
}

void Job::setAfter(QImage after) {
    assign(this, after_, std::move(after), &Job::afterChanged);
}

} // namespace clarivex
