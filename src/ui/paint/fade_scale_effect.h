#pragma once

#include <QGraphicsEffect>
#include <QPointF>

namespace clarivex {

// Draws a widget, children included, faded, scaled about its centre and shifted: what the
// window's views do while they come and go. At rest (opaque, full size, in place) it draws the
// widget unchanged, without an offscreen copy. Main thread only.
class FadeScaleEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit FadeScaleEffect(QObject* parent = nullptr);

    qreal opacity() const { return opacity_; }
    void setOpacity(qreal opacity);
    qreal scale() const { return scale_; }
    void setScale(qreal scale);
    QPointF shift() const { return shift_; }
    void setShift(QPointF shift);

    bool isAtRest() const;

protected:
    void draw(QPainter* painter) override;

private:
    qreal opacity_ = 1.0;
    qreal scale_ = 1.0;
    QPointF shift_;
};

} // namespace clarivex
