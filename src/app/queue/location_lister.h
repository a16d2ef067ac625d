#pragma once

#include "app/queue/task_runner.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <vector>

namespace clarivex {

// Turns dropped, chosen or handed-over locations into the files to queue on a thread of its
// own, so that a folder of a hundred thousand entries is listed and sorted while the window
// goes on. Requests are served one at a time in the order they came, and their files handed
// back in that order, a batch per turn of the event loop, so the queue keeps the order of the
// requests and the window stays responsive while the jobs are made. Main thread only.
class LocationLister : public QObject {
    Q_OBJECT
public:
    // Receives one batch of queueable files (see queueableFiles), on the main thread.
    using Deliver =
        std::function<void(const std::vector<std::filesystem::path>& files, bool start)>;

    explicit LocationLister(Deliver deliver, QObject* parent = nullptr);
    // Stops listing and waits for the thread; batches not yet delivered are dropped.
    ~LocationLister() override;

    void list(std::vector<std::filesystem::path> locations, bool start);
    // For quitting: drops every request not yet delivered and waits for the thread. Nothing is
    // listed or delivered afterwards.
    void stop();
    // Whether every request so far has been delivered.
    bool isIdle() const { return runner_.isIdle(); }

Q_SIGNALS:
    // The last request under way was delivered.
    void idle();

private:
    Deliver deliver_;
    // One thread serves the requests in the order they came.
    TaskRunner runner_;
};

} // namespace clarivex
