#include "ui/widgets/drop_overlay.h"

#include "ui/paint/shapes.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace clarivex {

namespace {

constexpr qreal labelPaddingX = 22.0;
constexpr qreal labelPaddingY = 12.0;
constexpr qreal labelSpacing = 8.0;
constexpr qreal lineWidth = 2.0;

} // namespace

DropOverlay::DropOverlay(QWidget* parent)
    : QWidget(parent)
    , shown_(0.0, 200, Theme::easeOut(), [this] { shownChanged(); }) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void DropOverlay::setShowing(bool showing) {
    if (showing)
        show();
    shown_.animateTo(showing ? 1.0 : 0.0);
}

void DropOverlay::shownChanged() {
    if (shown_.value() <= 0.0 && shown_.target() <= 0.0)
        hide();
    update();
}

QRectF DropOverlay::frameRect() const {
    return QRectF(rect()).adjusted(inset, inset, -inset, -inset);
}

void DropOverlay::paintEvent(QPaintEvent*) {
    const qreal opacity = std::clamp(shown_.value(), 0.0, 1.0);
    if (opacity <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(opacity);

    const QRectF frame = frameRect();
    painter.fillPath(continuousRoundedRect(frame, cornerRadius),
                     Theme::withOpacity(Theme::accent(), 0.08));
    QPen pen(Theme::accent(), lineWidth);
    pen.setDashPattern({10.0 / lineWidth, 8.0 / lineWidth});
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal half = lineWidth / 2.0;
    painter.drawPath(
        continuousRoundedRect(frame.adjusted(half, half, -half, -half), cornerRadius - half));

    const QFont font = Theme::system(20, QFont::Bold);
    const QFontMetricsF metrics(font);
    const QString glyph = SymbolFont::glyph("plus.circle.fill");
    const qreal symbolWidth = QFontMetricsF(SymbolFont::font(20)).horizontalAdvance(glyph);
    const qreal textWidth = metrics.horizontalAdvance(label());
    const qreal width = std::ceil(symbolWidth + labelSpacing + textWidth + 2 * labelPaddingX);
    const qreal height = std::ceil(metrics.height() + 2 * labelPaddingY);
    const QRectF pill(frame.center().x() - width / 2, frame.center().y() - height / 2, width,
                      height);
    painter.fillPath(capsule(pill), Theme::color(0x000000, 0.7));
    qreal x = pill.left() + labelPaddingX;
    SymbolFont::paint(painter, QRectF(x, pill.top(), symbolWidth, pill.height()),
                      "plus.circle.fill", 20, Theme::text());
    x += symbolWidth + labelSpacing;
    painter.setFont(font);
    painter.setPen(Theme::text());
    painter.drawText(QRectF(x, pill.top(), textWidth + 2, pill.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label());
}

} // namespace clarivex
