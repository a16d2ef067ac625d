#pragma once

#include <QGraphicsEffect>
#include <QPixmap>
#include <QPointF>

namespace clarivex {

// Draws a widget, children included, faded, scaled about its centre and shifted: what the
// window's views do while they come and go. Until capture() it draws the widget unchanged; from
// then on a still picture of the widget, the state it showed when it began to move:
// Qt renders a widget's own offscreen copy without the graphics effects of its children, so the
// glowing parts of a view (buttons, progress, cards) would vanish or land in the wrong place
// mid-move, while a grab of the whole widget draws them as they are at rest. The picture is
// scaled to the widget's size if that changes while it moves. Main thread only.
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

    // Takes the picture drawn while moving from `widget`, the one this effect is set on, as it
    // looks at rest.
    void capture(QWidget* widget);
    bool hasPicture() const { return !picture_.isNull(); }

protected:
    void draw(QPainter* painter) override;

private:
    qreal opacity_ = 1.0;
    qreal scale_ = 1.0;
    QPointF shift_;
    QPixmap picture_;
};

} // namespace clarivex
