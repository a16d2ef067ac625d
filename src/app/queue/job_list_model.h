#pragma once

#include <QAbstractListModel>
#include <QList>

#include <functional>

namespace clarivex {

class Job;

// The queue's jobs as the views read them: one row per job in the order the files were added,
// rows inserted and removed as jobs come and go, and a row's data changed when its job's status
// or pictures change. The queue owns the jobs and decides which rows come and go; the model
// only keeps the list and tells. Main thread only.
class JobListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        // The Job* itself, for views that act on it.
        JobRole = Qt::UserRole + 1,
        // The JobStatus.
        StatusRole,
        // The running job's fraction from 0 to 1; nothing while it does not run.
        ProgressRole,
        // The pictures (QImage, null for none): see Job.
        PreviewRole,
        PixelatedRole,
        BeforeRole,
        AfterRole,
    };

    explicit JobListModel(QObject* parent = nullptr);

    const QList<Job*>& jobs() const { return jobs_; }
    Job* jobAt(int row) const;
    // The row of `job`; -1 when it is not in the list.
    int rowOf(const Job* job) const;

    // Appends the jobs as one insertion of rows.
    void append(const QList<Job*>& jobs);
    // Takes out the jobs `leaves` picks, each run of neighbouring rows as one removal, and
    // returns them in list order; they are neither deleted nor disconnected from others.
    QList<Job*> removeIf(const std::function<bool(const Job&)>& leaves);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void jobChanged(const Job* job, const QList<int>& roles);

    QList<Job*> jobs_;
};

} // namespace clarivex
