#pragma once

#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QImage>
#include <QWidget>

#include <array>

namespace clarivex {

// Where everything of one before/after frame lies, in widget coordinates: pure geometry that
// the slider paints and tests check without painting.
struct BeforeAfterLayout {
    static constexpr qreal cornerRadius = 20.0;
    static constexpr qreal overlayInset = 12.0;
    static constexpr qreal lineWidth = 2.0;
    static constexpr qreal zoomSegmentWidth = 32.0;
    static constexpr qreal zoomSegmentHeight = 24.0;
    static constexpr qreal zoomPadding = 2.0;
    static constexpr qreal zoomSpacing = 2.0;
    static constexpr std::array<int, 3> zoomLevels{1, 2, 4};

    // The picture box: the `after` picture's aspect fitted into the space and centred.
    QRectF box;
    qreal position = 0.5;
    qreal zoom = 1.0;
    qreal knobDiameter = 40.0;

    static BeforeAfterLayout make(const QSize& afterPixels, const QRectF& space, qreal position,
                                  qreal zoom, qreal knobDiameter);
    // The split for a pointer at `pointerX`, pinned to the box's edges.
    static qreal positionFor(qreal pointerX, const QRectF& box);

    qreal splitX() const;
    // Where both pictures are drawn: the box grown by `zoom` about its centre (then clipped).
    QRectF pictureRect() const;
    // The part of the box where the result shows: from the split to the right edge.
    QRectF resultRect() const;
    QRectF lineRect() const;
    QRectF knobRect() const;
    QRectF zoomControlRect() const;
    QRectF zoomSegmentRect(int index) const;
    // The zoom segment under `point`, or -1.
    int zoomSegmentAt(const QPointF& point) const;
};

// The comparison of a source picture and its upscaled result, split by a line the user drags:
// the source left of the line in hard nearest-neighbour pixels, the result right of it drawn
// smoothly, with "ДО" and result badges and a 1×/2×/4× zoom about the centre. Its split, zoom and
// drag state are its own and are never saved. The box is fitted into the widget, so it reaches
// the widget's edges along one side; its shadow overhangs the widget by overhang() (see
// GlowOverhang). Main thread only.
class BeforeAfterSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal position READ position WRITE setPosition NOTIFY positionChanged)
    Q_PROPERTY(qreal zoom READ zoom WRITE setZoom NOTIFY zoomChanged)
    Q_PROPERTY(bool dragging READ isDragging NOTIFY draggingChanged)
public:
    BeforeAfterSlider(QImage before, QImage after, QString afterLabel, QWidget* parent = nullptr);

    // Shows other pictures of the same two (larger ones that came later), keeping the split and
    // the zoom.
    void setPictures(QImage before, QImage after);
    const QImage& before() const { return before_; }
    const QImage& after() const { return after_; }

    // The split the slider is heading for, 0..1 of the picture width.
    qreal position() const { return position_.target(); }
    void setPosition(qreal position, bool animated = true);
    qreal zoom() const { return zoom_.target(); }
    // Only 1, 2 and 4; other values are ignored.
    void setZoom(qreal zoom, bool animated = true);
    bool isDragging() const { return dragging_; }

    // The layout as drawn now, mid-animation included.
    BeforeAfterLayout currentLayout() const;

    static SpringParameters dragSpring() { return {0.2, 0.85}; }
    static QMargins overhang();

Q_SIGNALS:
    // The split's target changed, by a drag or by setPosition().
    void positionChanged(qreal position);
    void zoomChanged(qreal zoom);
    void draggingChanged(bool dragging);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void dragTo(qreal pointerX);
    void setDragging(bool dragging);
    void splitMoved();
    QRect handleArea(qreal splitX) const;
    const QImage& displayedAfter(const QSizeF& logicalSize, qreal ratio);
    void paintPictures(QPainter& painter, const BeforeAfterLayout& layout);
    void paintHandle(QPainter& painter, const BeforeAfterLayout& layout);
    void paintOverlay(QPainter& painter, const BeforeAfterLayout& layout);

    QImage before_;
    QImage after_;
    QString afterLabel_;
    SpringValue position_;
    SpringValue zoom_;
    SpringValue knob_;
    bool dragging_ = false;
    int pressedZoomSegment_ = -1;
    qreal paintedSplitX_ = 0.0;

    QImage scaledAfter_;
    QSize scaledAfterPixels_;
    GlowCache boxShadow_;
    GlowCache lineGlow_;
    GlowCache knobGlow_;
};

} // namespace clarivex
