#include "ui/animation/animation_start.h"

#include <algorithm>

namespace clarivex {

void AnimationStart::request(bool takingOver) {
    // Asked again before its first frame, a motion keeps the start it was waiting for.
    takingOver_ = waiting_ ? takingOver_ && takingOver : takingOver && lastFrame_.has_value();
    waiting_ = true;
}

double AnimationStart::elapsedAt(double now) {
    if (waiting_) {
        waiting_ = false;
        start_ = takingOver_ ? std::max(*lastFrame_, now - frameSeconds) : now;
    }
    lastFrame_ = now;
    // A clock set back (tests do) holds the start rather than running backwards.
    return std::max(0.0, now - start_);
}

std::optional<double> AnimationStart::elapsedShown() const {
    // A motion still waiting for its first frame has shown only its start.
    if (waiting_)
        return 0.0;
    if (!lastFrame_)
        return std::nullopt;
    return std::max(0.0, *lastFrame_ - start_);
}

} // namespace clarivex
