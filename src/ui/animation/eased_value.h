#pragma once

#include "ui/animation/animation_start.h"
#include "ui/animation/frame_clock.h"

#include <QEasingCurve>

#include <functional>

class QWidget;

namespace clarivex {

// A number that eases to its target over a fixed duration, stepped by the shared frame clock
// like SpringValue (so a test that freezes the clock holds every animation; time starts at the
// first frame, see AnimationStart), and calls `onChange` after every step. With reduce motion on,
// or while its `owner` widget is hidden, it jumps. Main thread only.
class EasedValue {
public:
    EasedValue(double initial, int durationMs, QEasingCurve curve, std::function<void()> onChange,
               const QWidget* owner = nullptr);

    void animateTo(double target);
    void jumpTo(double value);
    void finish();

    double value() const { return value_; }
    double target() const { return target_; }
    bool isAnimating() const { return ticker_.isActive(); }

private:
    void step(double now);
    void set(double value);

    double duration_;
    QEasingCurve curve_;
    double from_;
    double value_;
    double target_;
    AnimationStart start_;
    std::function<void()> onChange_;
    const QWidget* owner_;
    FrameTicker ticker_;
};

} // namespace clarivex
