#pragma once

#include "ui/animation/eased_value.h"
#include "ui/animation/trigger_counter.h"

#include <QWidget>

namespace clarivex {

// The path of one light sweep across a view, for the view and its tests.
struct ShinePath {
    static constexpr qreal restingPhase = -1.0;
    static constexpr qreal startPhase = -0.6;
    static constexpr qreal endPhase = 1.1;
    static constexpr int durationMs = 900;
    static constexpr qreal bandShare = 0.35;
    static constexpr qreal travel = 1.4;
    static constexpr qreal angleDegrees = 18.0;

    // The band's unrotated left edge for a view `width` wide.
    static qreal bandLeft(qreal phase, qreal width) { return phase * width * travel; }
    static qreal bandWidth(qreal width) { return width * bandShare; }
    // True when the band, rotated, can touch a view of this size.
    static bool crosses(qreal phase, qreal width, qreal height);
};

// A one-shot sweep of light over a view: an overlay on the view's contents rectangle (a card's
// own rectangle, without its shadow room) that takes no input and, on every change of its
// trigger (not the first value), sends a slanted bright band across once, in 0.9 s. Main
// thread only.
class ShineSweep : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int trigger READ trigger WRITE setTrigger NOTIFY triggerChanged)
public:
    // The view's overlay, made on first use; later calls pass the trigger on.
    static ShineSweep* on(QWidget* view);

    void setTrigger(int trigger);
    int trigger() const { return trigger_.value(); }
    qreal phase() const { return phase_.value(); }

Q_SIGNALS:
    void triggerChanged(int trigger);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    explicit ShineSweep(QWidget* view);
    void sweep();

    TriggerCounter trigger_;
    EasedValue phase_;
};

// Installs (or reaches) the sweep overlay of `view` and gives it `trigger`.
ShineSweep* shine(QWidget* view, int trigger);

} // namespace clarivex
