#pragma once

#include <QEasingCurve>
#include <QVariantAnimation>

#include <functional>

class QWidget;

namespace clarivex {

// A number that eases to its target over a fixed duration (a QVariantAnimation underneath) and
// calls `onChange` after every step. With reduce motion on, or while its `owner` widget is
// hidden, it jumps. Main thread only.
class EasedValue {
public:
    EasedValue(double initial, int durationMs, QEasingCurve curve, std::function<void()> onChange,
               const QWidget* owner = nullptr);

    void animateTo(double target);
    void jumpTo(double value);
    void finish();
    // Holds the running animation at `elapsedMs` into its curve; lets tests look at a moment.
    void freezeAt(int elapsedMs);

    double value() const { return value_; }
    double target() const { return target_; }
    bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }

private:
    void set(double value);

    QVariantAnimation animation_;
    double value_;
    double target_;
    std::function<void()> onChange_;
    const QWidget* owner_;
};

} // namespace clarivex
