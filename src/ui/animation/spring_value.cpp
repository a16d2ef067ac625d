#include "ui/animation/spring_value.h"

#include "ui/animation/reduce_motion.h"

#include <QWidget>

namespace clarivex {

SpringValue::SpringValue(double initial, SpringParameters parameters,
                         std::function<void()> onChange, const QWidget* owner)
    : parameters_(parameters)
    , spring_(parameters, initial, initial)
    , value_(initial)
    , onChange_(std::move(onChange))
    , owner_(owner)
    , ticker_([this](double now) { step(now); }) {}

void SpringValue::animateTo(double target) {
    animateTo(target, parameters_);
}

void SpringValue::animateTo(double target, SpringParameters parameters) {
    if (ReduceMotion::enabled() || (owner_ && !owner_->isVisible())) {
        jumpTo(target);
        return;
    }
    if (target == spring_.target() && (isAnimating() || value_ == target))
        return;
    // On from the value and speed last shown.
    const std::optional<double> shown = isAnimating() ? start_.elapsedShown() : std::nullopt;
    const double velocity = shown ? spring_.velocity(*shown) : 0.0;
    spring_ = Spring(parameters, value_, target, velocity);
    start_.request(isAnimating());
    ticker_.start();
}

void SpringValue::jumpTo(double value) {
    ticker_.stop();
    spring_ = Spring(parameters_, value, value);
    if (value_ == value)
        return;
    value_ = value;
    onChange_();
}

void SpringValue::finish() {
    jumpTo(spring_.target());
}

void SpringValue::step(double now) {
    const double elapsed = start_.elapsedAt(now);
    if (spring_.settled(elapsed)) {
        finish();
        return;
    }
    value_ = spring_.value(elapsed);
    onChange_();
}

} // namespace clarivex
