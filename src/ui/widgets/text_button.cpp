#include "ui/widgets/text_button.h"

#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace clarivex {

TextButton::TextButton(const QString& text, const QColor& color, QWidget* parent)
    : QAbstractButton(parent)
    , font_(Theme::system(11, QFont::DemiBold))
    , color_(color) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TextButton::sizeHint() const {
    const QFontMetricsF metrics(font_);
    return {int(std::ceil(metrics.horizontalAdvance(text()))) + 2,
            int(std::ceil(metrics.height()))};
}

void TextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    QColor color = color_;
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.6);
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        painter.setPen(QPen(Theme::withOpacity(Theme::accentGlow(), 0.8), 1));
        painter.drawLine(QPointF(0, height() - 0.5), QPointF(width(), height() - 0.5));
    }
}

} // namespace clarivex
