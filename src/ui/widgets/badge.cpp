#include "ui/widgets/badge.h"

#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

namespace clarivex::Badge {

namespace {

QFont font() {
    QFont result = Theme::caps(10);
    result.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    return result;
}

} // namespace

QSizeF size(const QString& text) {
    return {QFontMetricsF(font()).horizontalAdvance(text) + 2 * horizontalPadding, height};
}

void paint(QPainter& painter, const QPointF& topLeft, const QString& text, bool accented) {
    const QRectF rect(topLeft, size(text));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (accented)
        painter.fillPath(capsule(rect), Theme::accentGradient(rect));
    else
        painter.fillPath(capsule(rect), Theme::color(0x000000, 0.65));
    strokeCapsuleInside(painter, rect, Theme::color(0xFFFFFF, 0.2), 1.0);
    painter.setFont(font());
    painter.setPen(Qt::white);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

} // namespace clarivex::Badge
