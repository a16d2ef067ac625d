#include "app/queue/job_list_model.h"

#include "app/queue/job.h"

#include <algorithm>

namespace clarivex {

JobListModel::JobListModel(QObject* parent)
    : QAbstractListModel(parent) {}

Job* JobListModel::jobAt(int row) const {
    return row >= 0 && row < jobs_.size() ? jobs_[row] : nullptr;
}

int JobListModel::rowOf(const Job* job) const {
    return int(jobs_.indexOf(job));
}

void JobListModel::append(const QList<Job*>& jobs) {
    if (jobs.isEmpty())
        return;
    const int first = int(jobs_.size());
    beginInsertRows({}, first, first + int(jobs.size()) - 1);
    for (Job* job : jobs) {
        jobs_.push_back(job);
        connect(job, &Job::statusChanged, this, [this, job] {
            jobChanged(job, {StatusRole, ProgressRole});
        });
        connect(job, &Job::previewChanged, this, [this, job] { jobChanged(job, {PreviewRole}); });
        connect(job, &Job::pixelatedChanged, this,
                [this, job] { jobChanged(job, {PixelatedRole}); });
        connect(job, &Job::beforeChanged, this, [this, job] { jobChanged(job, {BeforeRole}); });
        connect(job, &Job::afterChanged, this, [this, job] { jobChanged(job, {AfterRole}); });
    }
    endInsertRows();
}

QList<Job*> JobListModel::removeIf(const std::function<bool(const Job&)>& leaves) {
    QList<Job*> removed;
    // From the back, so that the rows still to go keep their numbers.
    int end = int(jobs_.size());
    while (end > 0) {
        if (!leaves(*jobs_[end - 1])) {
            --end;
            continue;
        }
        int first = end - 1;
        while (first > 0 && leaves(*jobs_[first - 1]))
            --first;
        beginRemoveRows({}, first, end - 1);
        const QList<Job*> run = jobs_.mid(first, end - first);
        jobs_.remove(first, end - first);
        for (Job* job : run)
            disconnect(job, nullptr, this, nullptr);
        endRemoveRows();
        removed = run + removed;
        end = first;
    }
    return removed;
}

int JobListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(jobs_.size());
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
    const Job* job =
        checkIndex(index, CheckIndexOption::IndexIsValid) ? jobs_[index.row()] : nullptr;
    if (!job)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return job->fileName();
    case JobRole:
        return QVariant::fromValue(const_cast<Job*>(job));
    case StatusRole:
        return QVariant::fromValue(job->status());
    case ProgressRole:
        if (const UpscaleProgress* progress = job->status().progress())
            return progress->fraction;
        return {};
    case PreviewRole:
        return job->preview();
    case PixelatedRole:
        return job->pixelated();
    case BeforeRole:
        return job->before();
    case AfterRole:
        return job->after();
    default:
        return {};
    }
}

QHash<int, QByteArray> JobListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(JobRole, "job");
    names.insert(StatusRole, "status");
    names.insert(ProgressRole, "progress");
    names.insert(PreviewRole, "preview");
    names.insert(PixelatedRole, "pixelated");
    names.insert(BeforeRole, "before");
    names.insert(AfterRole, "after");
    return names;
}

void JobListModel::jobChanged(const Job* job, const QList<int>& roles) {
    const int row = rowOf(job);
    if (row < 0)
        return;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, roles);
}

} // namespace clarivex
