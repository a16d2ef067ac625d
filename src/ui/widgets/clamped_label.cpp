#include "ui/widgets/clamped_label.h"

#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr int narrowest = 120;

} // namespace

ClampedLabel::ClampedLabel(const QString& text, int maxLines, const QFont& font,
                           const QColor& color, QWidget* parent)
    : QLabel(parent)
    , fullText_(text)
    , maxLines_(std::max(1, maxLines)) {
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setText(text);
}

QStringList ClampedLabel::linesAt(int width, bool* elided) const {
    const QFontMetricsF metrics(font());
    if (elided)
        *elided = false;
    // Line breaks at the end would count as a last, empty line of more to come.
    QString flat = fullText_;
    while (!flat.isEmpty() && flat.back().isSpace())
        flat.chop(1);
    // Line breaks of the text are kept; each paragraph wraps at the width.
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const QString text =
            flat.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).trimmed();
        if (lines.size() + 1 == maxLines_ && line.textStart() + line.textLength() < flat.size()) {
            // The last line shown stays one line of the text, never the rest run together
            // (an engine's lines would read as one): "…" says that more was cut.
            lines << metrics.elidedText(text + QChar(0x2026), Qt::ElideRight, width);
            if (elided)
                *elided = true;
            break;
        }
        lines << text;
    }
    layout.endLayout();
    return lines;
}

int ClampedLabel::heightForWidth(int width) const {
    const int lines = std::max<int>(1, int(linesAt(width).size()));
    return int(std::ceil(lines * QFontMetricsF(font()).lineSpacing()));
}

QSize ClampedLabel::sizeHint() const {
    const int natural = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(fullText_)));
    const int width = std::max(narrowest, natural);
    return {width, heightForWidth(width)};
}

QSize ClampedLabel::minimumSizeHint() const {
    return {narrowest, heightForWidth(narrowest)};
}

void ClampedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    const QString shown = linesAt(width(), &clamped_).join(QLatin1Char('\n'));
    if (shown != text())
        setText(shown);
    setToolTip(clamped_ ? fullText_ : QString());
}

} // namespace clarivex
