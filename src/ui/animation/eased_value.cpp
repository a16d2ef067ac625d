#include "ui/animation/eased_value.h"

#include "ui/animation/reduce_motion.h"

#include <QWidget>

namespace clarivex {

EasedValue::EasedValue(double initial, int durationMs, QEasingCurve curve,
                       std::function<void()> onChange, const QWidget* owner)
    : value_(initial)
    , target_(initial)
    , onChange_(std::move(onChange))
    , owner_(owner) {
    animation_.setDuration(durationMs);
    animation_.setEasingCurve(curve);
    QObject::connect(&animation_, &QVariantAnimation::valueChanged,
                     [this](const QVariant& value) { set(value.toDouble()); });
}

void EasedValue::animateTo(double target) {
    if (target == target_)
        return;
    target_ = target;
    if (ReduceMotion::enabled() || (owner_ && !owner_->isVisible())) {
        animation_.stop();
        set(target);
        return;
    }
    animation_.stop();
    animation_.setStartValue(value_);
    animation_.setEndValue(target);
    animation_.start();
}

void EasedValue::jumpTo(double value) {
    animation_.stop();
    target_ = value;
    set(value);
}

void EasedValue::finish() {
    jumpTo(target_);
}

void EasedValue::freezeAt(int elapsedMs) {
    if (animation_.state() == QAbstractAnimation::Running)
        animation_.pause();
    animation_.setCurrentTime(elapsedMs);
}

void EasedValue::set(double value) {
    if (value == value_)
        return;
    value_ = value;
    onChange_();
}

} // namespace clarivex
