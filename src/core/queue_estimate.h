#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace clarivex {

// How much work for the network a job is: the source's pixels × its frames × what the model
// costs per pixel, in units that this machine's rate (units per second) turns into time.
double workOf(Size source, std::int64_t frames, const std::string& model);

// The remaining time of the whole queue, learned from the jobs this machine has finished and
// shown so that it never jumps: between two updates it counts down by the time that passed and
// moves towards a better estimate by at most that much again; only jobs that come or go change
// it at once. A value; used from one thread.
class QueueEstimate {
public:
    // One job that is not finished. `work` is nothing while it is unknown (its size is still
    // being read), which leaves the whole queue without an estimate.
    struct Item {
        std::uint64_t id = 0;
        std::optional<double> work;
        bool running = false;
        // Of the running job: how far it has come (0–1) and for how many seconds it has run.
        double fraction = 0;
        double elapsed = 0;
    };

    // `rate`: the work units per second learned on earlier days, if any; one no machine works
    // at counts as none.
    explicit QueueEstimate(std::optional<double> rate = std::nullopt);

    // A job finished: `work` took `seconds`. Each job moves the learned rate part of the way,
    // so one odd job does not spoil it; a rate no machine works at moves nothing.
    void learn(double work, double seconds);
    std::optional<double> rate() const { return rate_; }

    // The seconds the queue still needs, as shown at `now` (seconds on a steady clock), or
    // nothing when it cannot be estimated: an unknown job, no rate learned and none measurable
    // yet from the running job, or nothing left.
    std::optional<double> update(const std::vector<Item>& items, double now);

private:
    // Where the running job's progress first moved: its pace is measured from there, since
    // reading and preparing the file move no progress at all.
    struct PaceStart {
        std::uint64_t id;
        double at;
        double fraction;
    };

    std::optional<double> measuredRate(const std::vector<Item>& items, double now);
    std::optional<std::map<std::uint64_t, double>> remainingByJob(const std::vector<Item>& items,
                                                                  double now);

    std::optional<double> rate_;
    std::optional<PaceStart> paceStart_;
    std::optional<double> shown_;
    double shownAt_ = 0;
    std::map<std::uint64_t, double> lastRemaining_;
};

} // namespace clarivex
