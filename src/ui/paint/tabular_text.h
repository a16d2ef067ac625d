#pragma once

#include <QFont>
#include <QString>
#include <Qt>

class QPainter;
class QPointF;
class QRectF;

namespace clarivex {

// Text whose digits all take the width of the font's widest digit, as tabular figures do: the
// UI font's figures are proportional, and Qt 6.4 cannot switch on the font's own tabular
// feature. Numbers that count (remaining time, frame counts, zoom levels) then keep the text
// around them still. Each digit is centred in its slot; other characters keep their advance.
namespace TabularText {

qreal digitWidth(const QFont& font);
qreal width(const QFont& font, const QString& text);
// Cut at the end with an ellipsis to fit `width`, measured as drawn.
QString elided(const QFont& font, const QString& text, qreal width);
// Draws with the painter's font and pen, the baseline starting at `origin`.
void draw(QPainter& painter, const QPointF& origin, const QString& text);
// Draws inside `rect`, placed by the horizontal part of `alignment` and centred vertically.
void draw(QPainter& painter, const QRectF& rect, Qt::Alignment alignment, const QString& text);

} // namespace TabularText

} // namespace clarivex
