#include "ui/paint/tabular_text.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace clarivex::TabularText {

namespace {

bool isDigit(QChar character) {
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
}

// Calls `run(text, left, slot)` for each stretch of non-digits (slot 0) and each digit (its
// slot's width), left to right from 0; returns the total width.
template <typename Visit>
qreal walk(const QFontMetricsF& metrics, qreal slot, const QString& text, Visit visit) {
    qreal x = 0.0;
    qsizetype start = 0;
    while (start < text.size()) {
        if (isDigit(text[start])) {
            visit(text.mid(start, 1), x, slot);
            x += slot;
            ++start;
            continue;
        }
        qsizetype end = start;
        while (end < text.size() && !isDigit(text[end]))
            ++end;
        const QString run = text.mid(start, end - start);
        visit(run, x, 0.0);
        x += metrics.horizontalAdvance(run);
        start = end;
    }
    return x;
}

} // namespace

qreal digitWidth(const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal widest = 0.0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
    return widest;
}

qreal width(const QFont& font, const QString& text) {
    return walk(QFontMetricsF(font), digitWidth(font), text, [](const QString&, qreal, qreal) {});
}

QString elided(const QFont& font, const QString& text, qreal available) {
    if (width(font, text) <= available)
        return text;
    const QString ellipsis(QChar(0x2026));
    QString cut = text;
    while (!cut.isEmpty() && width(font, cut + ellipsis) > available)
        cut.chop(1);
    return cut.isEmpty() ? QString() : cut + ellipsis;
}

void draw(QPainter& painter, const QPointF& origin, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    walk(metrics, digitWidth(painter.font()), text,
         [&](const QString& piece, qreal left, qreal slot) {
             const qreal inset = slot > 0.0 ? (slot - metrics.horizontalAdvance(piece)) / 2.0 : 0.0;
             painter.drawText(QPointF(origin.x() + left + inset, origin.y()), piece);
         });
}

void draw(QPainter& painter, const QRectF& rect, Qt::Alignment alignment, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    const qreal textWidth = width(painter.font(), text);
    qreal left = rect.left();
    if (alignment & Qt::AlignRight)
        left = rect.right() - textWidth;
    else if (alignment & Qt::AlignHCenter)
        left = rect.center().x() - textWidth / 2.0;
    const qreal baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2.0;
    draw(painter, QPointF(left, baseline), text);
}

} // namespace clarivex::TabularText
