#pragma once

#include <QWidget>

namespace clarivex {

class StepButton;

// The cross-fade length of a seamless loop as "1.5 с" with a − / + pair beside it: 0.5 to 3.0
// seconds in steps of 0.5, the buttons disabled at either end. valueChanged() reports the
// user's steps. Main thread only.
class LoopFadeStepper : public QWidget {
    Q_OBJECT
public:
    static constexpr double minimum = 0.5;
    static constexpr double maximum = 3.0;
    static constexpr double step = 0.5;

    explicit LoopFadeStepper(QWidget* parent = nullptr);

    double value() const { return value_; }
    // Sets the shown value without a signal; out-of-range values are pinned to the range.
    void setValue(double value);
    // "%.1f с".
    static QString text(double value);
    // One step up or down from `value`, pinned to the range.
    static double stepped(double value, int steps);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void valueChanged(double value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void stepBy(int steps);
    void refresh();

    double value_ = 1.5;
    StepButton* down_;
    StepButton* up_;
};

} // namespace clarivex
