#include "core/video/first_failure.h"

namespace clarivex {

void FirstFailure::record(std::exception_ptr error) {
    {
        std::lock_guard guard(lock_);
        if (!first_)
            first_ = std::move(error);
    }
    stop_.request_stop();
}

std::exception_ptr FirstFailure::first() const {
    std::lock_guard guard(lock_);
    return first_;
}

} // namespace clarivex
