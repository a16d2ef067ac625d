#pragma once

#include <functional>

#include <signal.h>

namespace clarivex::Main {

// The command line's wait for its job, in which SIGINT, SIGTERM and SIGHUP become a stop
// request instead of ending the process, so that the job ends in order: children terminated
// and reaped, working folder and partial files removed.
// Make it on the main thread before any other thread starts: threads inherit the blocked
// signals from the thread that creates them, and the signals must reach no thread but the wait.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Says that the job is over; from any thread, once.
    void jobEnded();

    // Blocks until jobEnded(), calling `requestStop` with the first signal's number when it
    // comes. Returns the first signal's number, or 0. A signal that arrived together with the job's
    // end counts too: a terminal's Ctrl+C reaches our children as well, and one that dies of it may
    // end the job before the wait has seen the signal.
    int waitForJob(const std::function<void(int signal)>& requestStop);

private:
    void release();

    sigset_t previous_{};
    int signalDescriptor_ = -1;
    int endDescriptor_ = -1;
};

} // namespace clarivex::Main
