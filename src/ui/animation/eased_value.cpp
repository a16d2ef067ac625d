#include "ui/animation/eased_value.h"

#include "ui/animation/reduce_motion.h"

#include <QWidget>

#include <algorithm>

namespace clarivex {

EasedValue::EasedValue(double initial, int durationMs, QEasingCurve curve,
                       std::function<void()> onChange, const QWidget* owner)
    : duration_(durationMs / 1000.0)
    , curve_(std::move(curve))
    , from_(initial)
    , value_(initial)
    , target_(initial)
    , onChange_(std::move(onChange))
    , owner_(owner)
    , ticker_([this](double now) { step(now); }) {}

void EasedValue::animateTo(double target) {
    if (target == target_)
        return;
    target_ = target;
    if (ReduceMotion::enabled() || (owner_ && !owner_->isVisible()) || duration_ <= 0.0) {
        ticker_.stop();
        set(target);
        return;
    }
    // A new target mid-flight eases on from where the value stands now.
    from_ = value_;
    start_.request(isAnimating());
    ticker_.start();
}

void EasedValue::jumpTo(double value) {
    ticker_.stop();
    target_ = value;
    set(value);
}

void EasedValue::finish() {
    jumpTo(target_);
}

void EasedValue::step(double now) {
    const double progress = start_.elapsedAt(now) / duration_;
    if (progress >= 1.0) {
        finish();
        return;
    }
    // A clock set back (tests do) holds the start rather than easing backwards.
    const double eased = curve_.valueForProgress(std::max(progress, 0.0));
    set(from_ + (target_ - from_) * eased);
}

void EasedValue::set(double value) {
    if (value == value_)
        return;
    value_ = value;
    onChange_();
}

} // namespace clarivex
