// The queue's rows as views see them, checked throughout by Qt's model tester: which rows come,
// go and change, and what they read.
#include "queue_fixture.h"

#include <QAbstractItemModelTester>

using namespace clarivex;

namespace {

class JobListModelTest : public test::QueueFixture {
protected:
    JobListModelTest() {
        const JobListModel* model = &queue().model();
        QObject::connect(model, &JobListModel::rowsInserted, &watching,
                         [this](const QModelIndex&, int first, int last) {
                             log.push_back("+" + span(first, last));
                         });
        QObject::connect(model, &JobListModel::rowsRemoved, &watching,
                         [this](const QModelIndex&, int first, int last) {
                             log.push_back("-" + span(first, last));
                         });
        QObject::connect(
            model, &JobListModel::dataChanged, &watching,
            [this](const QModelIndex& top, const QModelIndex& bottom, const QList<int>& roles) {
                std::string entry = "~" + span(top.row(), bottom.row());
                for (int role : roles)
                    entry += " " + queue().model().roleNames()[role].toStdString();
                log.push_back(entry);
            });
    }
    Job* add(const std::string& name, JobStatus status) {
        return queue().addDemonstration(file(name), MediaKind::image, std::move(status));
    }
    QVariant read(int row, int role) { return queue().model().index(row).data(role); }
    // What happened since the last call.
    std::vector<std::string> taken() { return std::exchange(log, {}); }
    // The status changes since the last call; pictures load meanwhile, whenever they come.
    std::vector<std::string> statusChanges() {
        std::vector<std::string> changes = taken();
        std::erase_if(changes, [](const std::string& entry) {
            return entry.find("status") == std::string::npos;
        });
        return changes;
    }
    static std::string span(int first, int last) {
        return std::to_string(first) + (first == last ? "" : ".." + std::to_string(last));
    }

    QAbstractItemModelTester tester{&queue().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
    std::vector<std::string> log;
    QObject watching;
};

} // namespace

TEST_F(JobListModelTest, RowsFollowTheJobsAndReadTheirStatusProgressAndPictures) {
    const auto jobs = queue().add({file("a.png"), file("b.png"), file("c.png")}, false);
    EXPECT_EQ(taken(), (std::vector<std::string>{"+0..2"}));
    EXPECT_EQ(read(1, Qt::DisplayRole).toString(), QStringLiteral("b.png"));
    EXPECT_EQ(read(1, JobListModel::JobRole).value<Job*>(), jobs[1]);
    EXPECT_TRUE(read(1, JobListModel::StatusRole).value<JobStatus>().is(JobStatus::Case::waiting));
    EXPECT_FALSE(read(1, JobListModel::ProgressRole).isValid());

    jobs[1]->setStatus(JobStatus::running({UpscaleProgress::Stage::upscaling, 0.42, {}}));
    jobs[2]->setPreview(QImage(4, 3, QImage::Format_RGB32));
    // A value set again is no change.
    jobs[2]->setStatus(JobStatus::waiting());
    EXPECT_EQ(taken(), (std::vector<std::string>{"~1 status progress", "~2 preview"}));
    EXPECT_DOUBLE_EQ(read(1, JobListModel::ProgressRole).toDouble(), 0.42);
    EXPECT_EQ(read(2, JobListModel::PreviewRole).value<QImage>().size(), QSize(4, 3));
    EXPECT_TRUE(read(0, JobListModel::PreviewRole).value<QImage>().isNull());
}

TEST_F(JobListModelTest, ClearingTakesOutEachRunOfFinishedRowsAndLeavesTheRestAsTheyWere) {
    const struct {
        std::vector<JobStatus> jobs;
        std::vector<std::string> removals;
        std::vector<std::string> kept;
    } cases[] = {
        {{JobStatus::done({}), JobStatus::waiting(), JobStatus::cancelled(),
          JobStatus::failed("Сбой."), JobStatus::waiting()},
         {"-2..3", "-0"},
         {"1.png", "4.png"}},
        {{JobStatus::waiting(), JobStatus::cancelled(), JobStatus::cancelled()},
         {"-1..2"},
         {"0.png"}},
        {{JobStatus::done({}), JobStatus::done({})}, {"-0..1"}, {}},
        {{JobStatus::waiting()}, {}, {"0.png"}},
    };
    for (const auto& c : cases) {
        queue().clearFinished();
        queue().cancelAll();
        queue().clearFinished();
        std::vector<Job*> added;
        for (const JobStatus& status : c.jobs)
            added.push_back(add(std::to_string(added.size()) + ".png", status));
        taken();
        queue().clearFinished();
        EXPECT_EQ(taken(), c.removals);
        EXPECT_EQ(names(), c.kept);
        // A job that left changes no row any more, even before it is deleted.
        for (Job* job : added)
            if (job->status().isFinished())
                job->setPreview(QImage(2, 2, QImage::Format_RGB32));
        EXPECT_TRUE(taken().empty());
        flushDeletions();
    }
}

TEST_F(JobListModelTest, RetryAndCancelChangeTheirRowInPlace) {
    Job* failed = add("a.png", JobStatus::failed("Сбой."));
    add("b.png", JobStatus::waiting());
    taken();
    queue().retry(failed);
    ASSERT_TRUE(settle([&] { return failed->status().is(JobStatus::Case::running); }));
    // Waiting, then running once the worker takes it; no row comes or goes.
    EXPECT_EQ(statusChanges(),
              (std::vector<std::string>{"~0 status progress", "~0 status progress"}));

    queue().cancel(queue().jobs()[1]);
    queue().cancel(failed);
    ASSERT_TRUE(settle([&] { return failed->status().is(JobStatus::Case::cancelled); }));
    EXPECT_EQ(statusChanges(),
              (std::vector<std::string>{"~1 status progress", "~0 status progress"}));
    EXPECT_EQ(queue().model().rowCount(), 2);
}
