#include "ui/widgets/segmented.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

QFont labelFont() {
    return Theme::system(12, QFont::DemiBold);
}

} // namespace

std::vector<QRectF> SegmentedLayout::segments(const QRectF& control, int count) {
    std::vector<QRectF> result;
    if (count <= 0)
        return result;
    const QRectF row = control.adjusted(padding, padding, -padding, -padding);
    const qreal width = std::max(0.0, (row.width() - spacing * (count - 1)) / count);
    for (int i = 0; i < count; ++i)
        result.emplace_back(row.left() + i * (width + spacing), row.top(), width, segmentHeight);
    return result;
}

qreal SegmentedLayout::selectedShare(const QRectF& segment, const std::optional<QRectF>& capsule) {
    if (!capsule || segment.width() <= 0.0)
        return 0.0;
    const qreal overlap =
        std::min(segment.right(), capsule->right()) - std::max(segment.left(), capsule->left());
    return std::clamp(overlap / segment.width(), 0.0, 1.0);
}

Segmented::Segmented(QWidget* parent)
    : QWidget(parent)
    , capsuleLeft_(
          0.0, Theme::spring(), [this] { update(); }, this)
    , capsuleRight_(
          0.0, Theme::spring(), [this] { update(); }, this) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    GlowOverhang::install(this, QMarginsF(overhang()),
                          [this](QPainter& painter) { paintGlow(painter); });
}

GlowSpec Segmented::glow() {
    return {Theme::withOpacity(Theme::accent(), 0.4), 8.0, {}};
}

QMargins Segmented::overhang() {
    // The selection sits inside the control's padding, which the glow crosses first.
    const int padding = int(SegmentedLayout::padding);
    return glowRoom(glow()) - QMargins(padding, padding, padding, padding);
}

void Segmented::setOptions(const QList<Option>& options) {
    options_ = options;
    moveCapsule(false);
    updateGeometry();
    update();
}

void Segmented::setSelection(const QVariant& value, bool animated) {
    if (selection_ == value && selection_.isValid() == value.isValid())
        return;
    selection_ = value;
    moveCapsule(animated);
    update();
    Q_EMIT selectionChanged(value);
}

int Segmented::selectedIndex() const {
    for (int i = 0; i < options_.size(); ++i) {
        if (options_[i].value == selection_)
            return i;
    }
    return -1;
}

void Segmented::moveCapsule(bool animated) {
    const int index = selectedIndex();
    if (index < 0) {
        capsuleVisible_ = false;
        return;
    }
    const QRectF target =
        SegmentedLayout::segments(controlRect(), int(options_.size()))[size_t(index)];
    // Coming from no selection there is nothing to slide from.
    if (!animated || !capsuleVisible_) {
        capsuleLeft_.jumpTo(target.left());
        capsuleRight_.jumpTo(target.right());
    } else {
        capsuleLeft_.animateTo(target.left());
        capsuleRight_.animateTo(target.right());
    }
    capsuleVisible_ = true;
}

QRectF Segmented::controlRect() const {
    const QRectF inner(rect());
    const qreal height = SegmentedLayout::segmentHeight + 2 * SegmentedLayout::padding;
    return {inner.left(), inner.center().y() - height / 2.0, inner.width(), height};
}

std::optional<QRectF> Segmented::capsuleRect() const {
    if (!capsuleVisible_)
        return std::nullopt;
    const QRectF control = controlRect();
    return QRectF(QPointF(capsuleLeft_.value(), control.top() + SegmentedLayout::padding),
                  QPointF(capsuleRight_.value(), control.top() + SegmentedLayout::padding +
                                                     SegmentedLayout::segmentHeight));
}

QSize Segmented::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    qreal widest = 0.0;
    for (const Option& option : options_)
        widest = std::max(widest, metrics.horizontalAdvance(option.label));
    const qsizetype count = std::max<qsizetype>(options_.size(), 1);
    const qreal segment = widest + 2 * SegmentedLayout::labelPadding;
    const qreal width =
        count * segment + (count - 1) * SegmentedLayout::spacing + 2 * SegmentedLayout::padding;
    return {int(std::ceil(width)),
            int(SegmentedLayout::segmentHeight + 2 * SegmentedLayout::padding)};
}

int Segmented::segmentAt(const QPointF& point) const {
    const auto segments = SegmentedLayout::segments(controlRect(), int(options_.size()));
    for (size_t i = 0; i < segments.size(); ++i) {
        if (capsule(segments[i]).contains(point))
            return int(i);
    }
    return -1;
}

void Segmented::mousePressEvent(QMouseEvent* event) {
    pressedSegment_ = event->button() == Qt::LeftButton ? segmentAt(event->position()) : -1;
    event->accept();
}

void Segmented::mouseReleaseEvent(QMouseEvent* event) {
    const int segment = segmentAt(event->position());
    if (event->button() == Qt::LeftButton && segment >= 0 && segment == pressedSegment_) {
        const QVariant value = options_[segment].value;
        const bool changed = value != selection_;
        setSelection(value);
        if (changed)
            Q_EMIT activated(value);
    }
    pressedSegment_ = -1;
    event->accept();
}

void Segmented::resizeEvent(QResizeEvent* event) {
    moveCapsule(false);
    QWidget::resizeEvent(event);
}

void Segmented::hideEvent(QHideEvent* event) {
    capsuleLeft_.finish();
    capsuleRight_.finish();
    QWidget::hideEvent(event);
}

void Segmented::paintGlow(QPainter& painter) {
    if (const std::optional<QRectF> selected = capsuleRect())
        glowCache_.paintCapsule(painter, *selected, glow());
}

void Segmented::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF control = controlRect();
    painter.fillPath(capsule(control), Theme::color(0x000000, 0.5));

    const std::optional<QRectF> selected = capsuleRect();
    paintGlow(painter);
    if (selected) {
        painter.fillPath(capsule(*selected), Theme::accentGradient(*selected));
    }

    painter.setFont(labelFont());
    const auto segments = SegmentedLayout::segments(control, int(options_.size()));
    for (size_t i = 0; i < segments.size(); ++i) {
        const qreal share = SegmentedLayout::selectedShare(segments[i], selected);
        painter.setPen(Theme::mix(Theme::muted(), Qt::white, share));
        painter.drawText(segments[i], Qt::AlignCenter, options_[qsizetype(i)].label);
    }
    strokeCapsuleInside(painter, control, Theme::line(), 1.0);
}

} // namespace clarivex
