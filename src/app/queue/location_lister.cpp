#include "app/queue/location_lister.h"

#include "app/queue/file_expansion.h"

#include <QMetaObject>

#include <algorithm>

namespace clarivex {

namespace {

// Jobs made in one turn of the event loop: enough that a large folder fills quickly, few
// enough that a paint or a click never waits long behind them.
constexpr std::size_t batchSize = 200;

} // namespace

LocationLister::LocationLister(Deliver deliver, QObject* parent)
    : QObject(parent)
    , deliver_(std::move(deliver)) {
    // One thread serves the requests in the order they came.
    pool_.setMaxThreadCount(1);
}

LocationLister::~LocationLister() {
    stop();
}

void LocationLister::stop() {
    stopped_ = true;
    stop_.request_stop();
    pool_.clear();
    pool_.waitForDone();
    // A request cleared before it ran never reports back.
    pending_ = 0;
}

void LocationLister::list(std::vector<std::filesystem::path> locations, bool start) {
    if (stopped_)
        return;
    ++pending_;
    pool_.start([this, locations = std::move(locations), start, stopToken = stop_.get_token()] {
        const auto files = queueableFiles(locations, stopToken);
        // Posted from one thread to one receiver, the batches arrive in the order they left.
        for (std::size_t first = 0; first < files.size() && !stopToken.stop_requested();
             first += batchSize) {
            const auto end =
                files.begin() + std::ptrdiff_t(std::min(first + batchSize, files.size()));
            QMetaObject::invokeMethod(
                this,
                [this, batch = std::vector(files.begin() + std::ptrdiff_t(first), end), start] {
                    if (!stopped_)
                        deliver_(batch, start);
                },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(this, &LocationLister::delivered, Qt::QueuedConnection);
    });
}

void LocationLister::delivered() {
    if (pending_ > 0 && --pending_ == 0)
        Q_EMIT idle();
}

} // namespace clarivex
