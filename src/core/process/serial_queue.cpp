#include "core/process/serial_queue.h"

namespace clarivex {

SerialQueue::SerialQueue()
    : thread_([this](std::stop_token stopToken) { drain(stopToken); }) {}

SerialQueue::~SerialQueue() {
    thread_.request_stop();
    thread_.join();
}

std::future<void> SerialQueue::submit(std::function<void()> work) {
    std::packaged_task<void()> item(std::move(work));
    auto future = item.get_future();
    {
        std::lock_guard guard(lock_);
        items_.push_back(std::move(item));
    }
    ready_.notify_one();
    return future;
}

void SerialQueue::drain(std::stop_token stopToken) {
    for (;;) {
        std::packaged_task<void()> item;
        {
            std::unique_lock guard(lock_);
            ready_.wait(guard, stopToken, [this] { return !items_.empty(); });
            if (items_.empty())
                return;
            item = std::move(items_.front());
            items_.pop_front();
        }
        item();
    }
}

} // namespace clarivex
