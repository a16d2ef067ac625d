#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;

namespace clarivex {

// A plain label in one of the theme's fonts and colours, over whatever lies behind it.
QLabel* textLabel(const QString& text, const QFont& font, const QColor& color);
// A caps heading: Theme::caps(size) with letter spacing, in `muted`.
QLabel* capsLabel(const QString& text, qreal size, qreal letterSpacing);

} // namespace clarivex
