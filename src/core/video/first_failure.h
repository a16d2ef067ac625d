#pragma once

#include <exception>
#include <mutex>
#include <stop_token>

namespace clarivex {

// Shared by the threads of one piece of work that stop each other: the first failure among
// them is the one that tells the user why (the others mostly fail because they were stopped),
// and once it is kept everyone is asked to stop. Safe to use from any thread.
class FirstFailure {
public:
    // Keeps `error` unless a failure was kept before, then asks everyone to stop.
    void record(std::exception_ptr error);
    // The failure kept first, or null.
    std::exception_ptr first() const;
    // Stopped at the first failure, or by requestStop.
    std::stop_token stopToken() const { return stop_.get_token(); }
    // Asks everyone to stop without a failure (the user's stop).
    void requestStop() { stop_.request_stop(); }

private:
    mutable std::mutex lock_;
    std::exception_ptr first_;
    std::stop_source stop_;
};

} // namespace clarivex
