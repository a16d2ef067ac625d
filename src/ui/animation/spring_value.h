#pragma once

#include "ui/animation/animation_start.h"
#include "ui/animation/frame_clock.h"
#include "ui/animation/spring.h"

#include <functional>

class QWidget;

namespace clarivex {

// A number that follows its target with a spring, one frame at a time, and calls `onChange`
// after every step so that its view can repaint what moved. A motion's time starts at its first
// frame, not when it was asked for (see AnimationStart). With reduce motion on, or while its
// `owner` widget is hidden, it jumps. Main thread only.
class SpringValue {
public:
    SpringValue(double initial, SpringParameters parameters, std::function<void()> onChange,
                const QWidget* owner = nullptr);

    void animateTo(double target);
    void animateTo(double target, SpringParameters parameters);
    void jumpTo(double value);
    // Jumps to the target; views call it when hidden, since nothing animates unseen.
    void finish();

    double value() const { return value_; }
    double target() const { return spring_.target(); }
    bool isAnimating() const { return ticker_.isActive(); }

private:
    void step(double now);

    SpringParameters parameters_;
    Spring spring_;
    AnimationStart start_;
    double value_;
    std::function<void()> onChange_;
    const QWidget* owner_;
    FrameTicker ticker_;
};

} // namespace clarivex
