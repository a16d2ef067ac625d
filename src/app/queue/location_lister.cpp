#include "app/queue/location_lister.h"

#include "app/queue/file_expansion.h"

#include <algorithm>

namespace clarivex {

namespace {

// Jobs made in one turn of the event loop: enough that a large folder fills quickly, few
// enough that a paint or a click never waits long behind them.
constexpr std::size_t batchSize = 200;

} // namespace

LocationLister::LocationLister(Deliver deliver, QObject* parent)
    : QObject(parent)
    , deliver_(std::move(deliver))
    , runner_(this, 1) {}

LocationLister::~LocationLister() {
    stop();
}

void LocationLister::stop() {
    runner_.close();
    runner_.waitUntilIdle(std::chrono::steady_clock::time_point::max());
}

void LocationLister::list(std::vector<std::filesystem::path> locations, bool start) {
    auto work = [this, locations = std::move(locations),
                 start](std::stop_token stopToken, const TaskRunner::Deliver& deliver) {
        const auto files = queueableFiles(locations, stopToken);
        // Delivered from one thread, the batches arrive in the order they left.
        for (std::size_t first = 0; first < files.size() && !stopToken.stop_requested();
             first += batchSize) {
            const auto end =
                files.begin() + std::ptrdiff_t(std::min(first + batchSize, files.size()));
            deliver([this, batch = std::vector(files.begin() + std::ptrdiff_t(first), end), start] {
                deliver_(batch, start);
            });
        }
    };
    runner_.start(std::move(work), [this] {
        if (runner_.isIdle())
            Q_EMIT idle();
    });
}

} // namespace clarivex
