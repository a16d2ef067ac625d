#pragma once

#include "ui/animation/eased_value.h"
#include "ui/paint/glow.h"

#include <QWidget>

namespace clarivex {

// The small progress ring of queue cards. The widget is the ring's frame, the circle the
// strokes are centred on; the outer half of the strokes and the arc's glow overhang it by
// overhang() (see GlowOverhang). Main thread only.
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
    static QMargins overhang();

    QSize sizeHint() const override;

Q_SIGNALS:
    void valueChanged(qreal value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static QPainterPath arcPath(const QRectF& ring, qreal sweep);
    void paintArcGlow(QPainter& painter);
    void paintArc(QPainter& painter);

    EasedValue value_;
    GlowCache glowCache_;
};

} // namespace clarivex
