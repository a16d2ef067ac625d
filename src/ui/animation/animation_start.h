#pragma once

#include <optional>

namespace clarivex {

// When a motion's time begins: at the first frame after it was asked for, not at the asking.
// A view that comes in is built, laid out and pictured in the same turn of the event loop that
// asks for its motion, and an add of many files keeps the window busy longer still; timed from
// the asking, the first frame drawn would already be well into the motion. A motion that takes
// over from one still running goes on from the last frame shown instead, so that a retarget
// never stalls for a frame. A value; main thread only.
class AnimationStart {
public:
    // The longest a motion taking over may count before its first frame: one display frame.
    static constexpr double frameSeconds = 1.0 / 60.0;

    // A new motion. `takingOver`: an earlier one was running and has shown frames.
    void request(bool takingOver);
    // Seconds into the motion at this frame's time `now`; the first frame fixes the start.
    double elapsedAt(double now);
    // Seconds into the motion at the last frame shown: 0 while waiting for its first, nothing
    // when none was ever shown.
    std::optional<double> elapsedShown() const;

private:
    bool waiting_ = false;
    bool takingOver_ = false;
    double start_ = 0.0;
    std::optional<double> lastFrame_;
};

} // namespace clarivex
