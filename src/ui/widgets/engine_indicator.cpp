#include "ui/widgets/engine_indicator.h"

#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace clarivex {

namespace {

constexpr qreal padding = 12.0;
constexpr qreal spacing = 6.0;
constexpr qreal dotSide = 6.0;

QFont labelFont() {
    QFont font = Theme::caps(9.5);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    return font;
}

QColor readyGreen() {
    return Theme::color(0x3DDC84);
}

} // namespace

EngineIndicator::EngineIndicator(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setState(std::nullopt, {});
}

void EngineIndicator::setState(const std::optional<QString>& error, const QString& engineFolder) {
    error_ = error;
    if (error_)
        setToolTip(*error_);
    else
        setToolTip(QStringLiteral("Real-ESRGAN: ") + engineFolder);
    setAccessibleName(label());
    setAccessibleDescription(toolTip());
    updateGeometry();
    update();
}

QString EngineIndicator::label() const {
    return error_ ? QStringLiteral("НЕТ ДВИЖКА") : QStringLiteral("ДВИЖОК ГОТОВ");
}

QSize EngineIndicator::sizeHint() const {
    const qreal width =
        2 * padding + dotSide + spacing + QFontMetricsF(labelFont()).horizontalAdvance(label());
    return {int(std::ceil(width)), int(capsuleHeight)};
}

QRectF EngineIndicator::capsuleRect() const {
    return QRectF(rect());
}

void EngineIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF shape = capsuleRect();
    painter.fillPath(capsule(shape), Theme::color(0x000000, 0.45));
    strokeCapsuleInside(painter, shape, Theme::line(), 1.0);

    const QColor dotColor = error_ ? Theme::accent() : readyGreen();
    const QRectF dot(shape.left() + padding, shape.center().y() - dotSide / 2, dotSide, dotSide);
    QPainterPath dotPath;
    dotPath.addEllipse(dot);
    dotGlow_.paint(painter, dotPath, {dotColor, 4.0, {}});
    painter.fillPath(dotPath, dotColor);

    painter.setFont(labelFont());
    painter.setPen(Theme::muted());
    const qreal x = dot.right() + spacing;
    painter.drawText(QRectF(x, shape.top(), shape.right() - x, shape.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label());
}

} // namespace clarivex
