#include "ui/widgets/before_after_slider.h"

#include "ui/paint/aspect_fit.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/tabular_text.h"
#include "ui/paint/theme.h"
#include "ui/widgets/badge.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal restingKnob = 40.0;
constexpr qreal draggingKnob = 46.0;

GlowSpec boxShadow() {
    return {Theme::color(0x000000, 0.6), 30.0, {0.0, 16.0}};
}
GlowSpec lineGlow() {
    return {Theme::withOpacity(Theme::accent(), 0.8), 8.0, {}};
}
GlowSpec knobGlow() {
    return {Theme::withOpacity(Theme::accent(), 0.6), 14.0, {}};
}

QFont zoomFont() {
    return Theme::digits(11, QFont::DemiBold);
}

QString zoomLabel(int level) {
    return QString::number(level) + QChar(0x00D7);
}

} // namespace

BeforeAfterLayout BeforeAfterLayout::make(const QSize& afterPixels, const QRectF& space,
                                          qreal position, qreal zoom, qreal knobDiameter) {
    return {aspectFitBox(afterPixels, space), position, zoom, knobDiameter};
}

qreal BeforeAfterLayout::positionFor(qreal pointerX, const QRectF& box) {
    if (box.width() <= 0.0)
        return 0.5;
    return std::clamp((pointerX - box.left()) / box.width(), 0.0, 1.0);
}

qreal BeforeAfterLayout::splitX() const {
    return box.left() + position * box.width();
}

QRectF BeforeAfterLayout::pictureRect() const {
    const QSizeF size = box.size() * zoom;
    return {box.center().x() - size.width() / 2.0, box.center().y() - size.height() / 2.0,
            size.width(), size.height()};
}

QRectF BeforeAfterLayout::resultRect() const {
    const qreal width = box.width() * (1.0 - position);
    return {box.right() - width, box.top(), width, box.height()};
}

QRectF BeforeAfterLayout::lineRect() const {
    return {splitX() - lineWidth / 2.0, box.top(), lineWidth, box.height()};
}

QRectF BeforeAfterLayout::knobRect() const {
    const QPointF centre(splitX(), box.center().y());
    return {centre.x() - knobDiameter / 2.0, centre.y() - knobDiameter / 2.0, knobDiameter,
            knobDiameter};
}

QRectF BeforeAfterLayout::zoomControlRect() const {
    const qsizetype count = zoomLevels.size();
    const QSizeF size(count * zoomSegmentWidth + (count - 1) * zoomSpacing + 2 * zoomPadding,
                      zoomSegmentHeight + 2 * zoomPadding);
    const QRectF inner = box.adjusted(overlayInset, overlayInset, -overlayInset, -overlayInset);
    return {inner.right() - size.width(), inner.bottom() - size.height(), size.width(),
            size.height()};
}

QRectF BeforeAfterLayout::zoomSegmentRect(int index) const {
    const QRectF control = zoomControlRect();
    return {control.left() + zoomPadding + index * (zoomSegmentWidth + zoomSpacing),
            control.top() + zoomPadding, zoomSegmentWidth, zoomSegmentHeight};
}

int BeforeAfterLayout::zoomSegmentAt(const QPointF& point) const {
    for (int i = 0; i < int(zoomLevels.size()); ++i) {
        if (capsule(zoomSegmentRect(i)).contains(point))
            return i;
    }
    return -1;
}

BeforeAfterSlider::BeforeAfterSlider(QImage before, QImage after, QString afterLabel,
                                     QWidget* parent)
    : QWidget(parent)
    , before_(std::move(before))
    , after_(std::move(after))
    , afterLabel_(std::move(afterLabel))
    , position_(
          0.5, dragSpring(), [this] { splitMoved(); }, this)
    , zoom_(
          1.0, Theme::spring(), [this] { update(); }, this)
    , knob_(
          0.0, Theme::spring(), [this] { update(handleArea(currentLayout().splitX())); }, this) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(false);
    GlowOverhang::install(this, QMarginsF(overhang()), [this](QPainter& painter) {
        const BeforeAfterLayout layout = currentLayout();
        if (!layout.box.isEmpty())
            boxShadow_.paint(painter,
                             continuousRoundedRect(layout.box, BeforeAfterLayout::cornerRadius),
                             boxShadow());
    });
}

void BeforeAfterSlider::setPictures(QImage before, QImage after) {
    before_ = std::move(before);
    after_ = std::move(after);
    scaledAfter_ = {};
    scaledAfterPixels_ = {};
    update();
}

QMargins BeforeAfterSlider::overhang() {
    return glowRoom(boxShadow());
}

BeforeAfterLayout BeforeAfterSlider::currentLayout() const {
    return BeforeAfterLayout::make(after_.size(), QRectF(rect()), position_.value(), zoom_.value(),
                                   restingKnob + (draggingKnob - restingKnob) * knob_.value());
}

void BeforeAfterSlider::setPosition(qreal position, bool animated) {
    if (std::isnan(position))
        return;
    position = std::clamp(position, 0.0, 1.0);
    const qreal previous = position_.target();
    if (animated)
        position_.animateTo(position);
    else
        position_.jumpTo(position);
    if (position != previous)
        Q_EMIT positionChanged(position);
}

void BeforeAfterSlider::setZoom(qreal zoom, bool animated) {
    const auto& levels = BeforeAfterLayout::zoomLevels;
    if (std::find(levels.begin(), levels.end(), int(zoom)) == levels.end() || zoom != int(zoom))
        return;
    const qreal previous = zoom_.target();
    if (animated)
        zoom_.animateTo(zoom);
    else
        zoom_.jumpTo(zoom);
    update();
    if (zoom != previous)
        Q_EMIT zoomChanged(zoom);
}

QRect BeforeAfterSlider::handleArea(qreal splitX) const {
    // Wide enough for the dragging knob and its glow.
    const qreal reach = draggingKnob / 2.0 + glowMargins(knobGlow()).left() + 2.0;
    const BeforeAfterLayout layout = currentLayout();
    return QRectF(splitX - reach, layout.box.top(), 2 * reach, layout.box.height()).toAlignedRect();
}

void BeforeAfterSlider::splitMoved() {
    const qreal split = currentLayout().splitX();
    const qreal left = std::min(split, paintedSplitX_);
    const qreal right = std::max(split, paintedSplitX_);
    update(handleArea(left).united(handleArea(right)));
    paintedSplitX_ = split;
}

void BeforeAfterSlider::dragTo(qreal pointerX) {
    setPosition(BeforeAfterLayout::positionFor(pointerX, currentLayout().box));
}

void BeforeAfterSlider::setDragging(bool dragging) {
    if (dragging_ == dragging)
        return;
    dragging_ = dragging;
    knob_.animateTo(dragging ? 1.0 : 0.0);
    Q_EMIT draggingChanged(dragging);
}

void BeforeAfterSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const BeforeAfterLayout layout = currentLayout();
    const QPointF point = event->position();
    pressedZoomSegment_ = layout.zoomSegmentAt(point);
    if (pressedZoomSegment_ >= 0) {
        event->accept();
        return;
    }
    if (!layout.box.contains(point)) {
        event->ignore();
        return;
    }
    // A press without movement already moves the split.
    setDragging(true);
    dragTo(point.x());
    event->accept();
}

void BeforeAfterSlider::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_)
        dragTo(event->position().x());
    event->accept();
}

void BeforeAfterSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (pressedZoomSegment_ >= 0) {
        if (currentLayout().zoomSegmentAt(event->position()) == pressedZoomSegment_)
            setZoom(BeforeAfterLayout::zoomLevels[size_t(pressedZoomSegment_)]);
        pressedZoomSegment_ = -1;
    } else if (dragging_) {
        dragTo(event->position().x());
        setDragging(false);
    }
    event->accept();
}

void BeforeAfterSlider::hideEvent(QHideEvent* event) {
    // A gesture can end unseen (the view is replaced mid-drag); it must not stay "dragging".
    setDragging(false);
    pressedZoomSegment_ = -1;
    knob_.jumpTo(0.0);
    position_.finish();
    zoom_.finish();
    QWidget::hideEvent(event);
}

const QImage& BeforeAfterSlider::displayedAfter(const QSizeF& logicalSize, qreal ratio) {
    // A result much larger than its box is first reduced once, with area averaging; bilinear
    // sampling alone would sparkle at the result's fine detail. Enlarging needs no copy.
    const QSize pixels = (logicalSize * ratio).toSize();
    if (pixels.width() >= after_.width() || pixels.height() >= after_.height() || pixels.isEmpty())
        return after_;
    if (scaledAfterPixels_ != pixels) {
        scaledAfter_ = after_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaledAfterPixels_ = pixels;
    }
    return scaledAfter_;
}

void BeforeAfterSlider::paintPictures(QPainter& painter, const BeforeAfterLayout& layout) {
    const QRectF picture = layout.pictureRect();
    const QPainterPath frame = continuousRoundedRect(layout.box, BeforeAfterLayout::cornerRadius);
    fillWithImage(painter, frame, before_, picture, false);

    QPainterPath resultArea;
    resultArea.addRect(layout.resultRect());
    // The copy is made for the zoom the slider is heading for, not for every step on the way.
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QImage& after = displayedAfter(layout.box.size() * zoom_.target(), ratio);
    fillWithImage(painter, frame.intersected(resultArea), after, picture, true);
}

void BeforeAfterSlider::paintHandle(QPainter& painter, const BeforeAfterLayout& layout) {
    const QPainterPath frame = continuousRoundedRect(layout.box, BeforeAfterLayout::cornerRadius);
    const QRectF line = layout.lineRect();
    QPainterPath linePath;
    linePath.addRect(line);
    painter.save();
    // Glows are soft, so the hard edge of a clip path cannot show on them.
    painter.setClipPath(frame, Qt::IntersectClip);
    lineGlow_.paint(painter, linePath, lineGlow());
    painter.restore();
    painter.fillPath(frame.intersected(linePath), Qt::white);

    const qreal dragged = knob_.value();
    const QRectF knob = layout.knobRect();
    painter.save();
    painter.setClipRect(layout.box, Qt::IntersectClip);
    // One glow image at the dragging size, drawn smaller while the knob rests.
    QPainterPath largest;
    largest.addEllipse(QRectF(0, 0, draggingKnob, draggingKnob));
    const qreal scale = knob.width() / draggingKnob;
    painter.save();
    painter.translate(knob.center());
    painter.scale(scale, scale);
    painter.translate(-draggingKnob / 2.0, -draggingKnob / 2.0);
    knobGlow_.paint(painter, largest, knobGlow());
    painter.restore();

    QPainterPath disc;
    disc.addEllipse(knob);
    // A frosted disc: translucent enough that the picture shows through it.
    painter.fillPath(disc, Theme::color(0xFFFFFF, 0.12));
    painter.fillPath(disc, Theme::withOpacity(Theme::accent(), 0.75 + 0.15 * dragged));
    painter.setPen(QPen(Theme::color(0xFFFFFF, 0.7), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(knob.adjusted(0.75, 0.75, -0.75, -0.75));
    SymbolFont::paint(painter, knob, "chevron.left.chevron.right", 14, Qt::white);
    painter.restore();
}

void BeforeAfterSlider::paintOverlay(QPainter& painter, const BeforeAfterLayout& layout) {
    const QRectF inner =
        layout.box.adjusted(BeforeAfterLayout::overlayInset, BeforeAfterLayout::overlayInset,
                            -BeforeAfterLayout::overlayInset, -BeforeAfterLayout::overlayInset);
    const QString beforeLabel = QStringLiteral("ДО");
    Badge::paint(painter, inner.topLeft(), beforeLabel, false);
    const QSizeF afterSize = Badge::size(afterLabel_);
    Badge::paint(painter, QPointF(inner.right() - afterSize.width(), inner.top()), afterLabel_,
                 true);

    const QRectF control = layout.zoomControlRect();
    painter.fillPath(capsule(control), Theme::color(0x000000, 0.7));
    strokeCapsuleInside(painter, control, Theme::color(0xFFFFFF, 0.15), 1.0);
    painter.setFont(zoomFont());
    for (int i = 0; i < int(BeforeAfterLayout::zoomLevels.size()); ++i) {
        const int level = BeforeAfterLayout::zoomLevels[size_t(i)];
        const QRectF segment = layout.zoomSegmentRect(i);
        const bool selected = zoom_.target() == level;
        if (selected)
            painter.fillPath(capsule(segment), Theme::accent());
        painter.setPen(selected ? QColor(Qt::white) : Theme::muted());
        TabularText::draw(painter, segment, Qt::AlignHCenter, zoomLabel(level));
    }
}

void BeforeAfterSlider::paintEvent(QPaintEvent*) {
    const BeforeAfterLayout layout = currentLayout();
    paintedSplitX_ = layout.splitX();
    if (layout.box.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QPainterPath frame = continuousRoundedRect(layout.box, BeforeAfterLayout::cornerRadius);
    boxShadow_.paint(painter, frame, boxShadow());
    paintPictures(painter, layout);
    paintHandle(painter, layout);
    paintOverlay(painter, layout);
    strokeInside(painter, layout.box, BeforeAfterLayout::cornerRadius, Theme::lineStrong(), 1.0);
}

} // namespace clarivex
