#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>
#include <optional>
#include <string>

namespace clarivex {

// How much work for the network a job is: the source's pixels × its frames × what the model
// costs per pixel, in units that this machine's rate (units per second) turns into time.
double workOf(Size source, std::int64_t frames, const std::string& model);

// The rate at which this machine works through jobs, learned from those it has finished, for
// the remaining time of the queue. A value; used from one thread.
class QueueEstimate {
public:
    // `rate`: the work units per second learned on earlier days, if any; one no machine works
    // at counts as none.
    explicit QueueEstimate(std::optional<double> rate = std::nullopt);

    // A job finished: `work` took `seconds`. Each job moves the learned rate part of the way,
    // so one odd job does not spoil it; a rate no machine works at moves nothing.
    void learn(double work, double seconds);
    std::optional<double> rate() const { return rate_; }

private:
    std::optional<double> rate_;
};

} // namespace clarivex
