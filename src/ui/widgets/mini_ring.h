#pragma once

#include "ui/animation/eased_value.h"
#include "ui/paint/glow.h"

#include <QWidget>

namespace clarivex {

// The small progress ring of queue cards. The widget keeps room() around the ring for the
// stroke and its glow; the ring itself is the widget minus that room. Main thread only.
class MiniRing : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal value READ value WRITE setValue NOTIFY valueChanged)
public:
    static constexpr qreal lineWidth = 3.0;
    static constexpr qreal minimumSweep = 0.02;

    explicit MiniRing(QWidget* parent = nullptr);

    // The share of the circle the arc covers: never below 2 %, so the ring is never empty.
    static qreal sweepFraction(qreal value);

    qreal value() const { return value_.target(); }
    // Eases to the new value over 0.3 s.
    void setValue(qreal value);
    void setValueImmediately(qreal value);
    qreal displayedValue() const { return value_.value(); }

    // The circle the strokes are centred on.
    QRectF ringRect() const;

    static GlowSpec glow();
    static QMargins room();

    QSize sizeHint() const override;

signals:
    void valueChanged(qreal value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    EasedValue value_;
    GlowCache glowCache_;
};

} // namespace clarivex
