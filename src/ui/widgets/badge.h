#pragma once

#include <QSizeF>
#include <QString>

class QPainter;
class QPointF;

namespace clarivex {

// The small capsule label on pictures ("ДО", "ПОСЛЕ · 3840×2160"): caps text on black, or on
// the accent gradient when accented.
namespace Badge {

constexpr qreal height = 24.0;
constexpr qreal horizontalPadding = 10.0;

QSizeF size(const QString& text);
void paint(QPainter& painter, const QPointF& topLeft, const QString& text, bool accented);

} // namespace Badge

} // namespace clarivex
