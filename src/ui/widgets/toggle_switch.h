#pragma once

#include "ui/animation/spring_value.h"

#include <QAbstractButton>

namespace clarivex {

// A small switch tinted with the accent: a capsule track with a white knob that slides on the
// standard spring. Checkable; toggled() reports the user's flips. Main thread only.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal trackWidth = 32.0;
    static constexpr qreal trackHeight = 18.0;

    explicit ToggleSwitch(QWidget* parent = nullptr);

    // Sets the state without a signal, as the store's value changes elsewhere.
    void setOn(bool on);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void checkStateSet() override;
    void nextCheckState() override;
    void hideEvent(QHideEvent* event) override;

private:
    QRectF trackRect() const;

    SpringValue knob_;
};

} // namespace clarivex
