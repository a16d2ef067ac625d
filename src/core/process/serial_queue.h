#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace clarivex {

// A dedicated thread that runs submitted work one item at a time, in submission order, so
// that blocking work (a full pipe, waiting for a process) never blocks the submitter. Work
// still queued when the object goes away is run before its thread ends.
class SerialQueue {
public:
    SerialQueue();
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // The future carries the item's exception, if any.
    std::future<void> submit(std::function<void()> work);

private:
    void drain(std::stop_token stopToken);

    std::mutex lock_;
    std::condition_variable_any ready_;
    std::deque<std::packaged_task<void()>> items_;
    std::jthread thread_;
};

} // namespace clarivex
