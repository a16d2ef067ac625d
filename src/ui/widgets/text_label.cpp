#include "ui/widgets/text_label.h"

#include "ui/paint/theme.h"

#include <QLabel>

namespace clarivex {

QLabel* textLabel(const QString& text, const QFont& font, const QColor& color) {
    auto* label = new QLabel(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* capsLabel(const QString& text, qreal size, qreal letterSpacing) {
    QFont font = Theme::caps(size);
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return textLabel(text, font, Theme::muted());
}

} // namespace clarivex
