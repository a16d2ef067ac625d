#include "ui/widgets/option_tile.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal textSpacing = 1.0;

QFont titleFont() {
    return Theme::system(13, QFont::DemiBold);
}
QFont subtitleFont() {
    return Theme::system(10.5, QFont::Normal);
}

GlowSpec iconGlow() {
    return {Theme::withOpacity(Theme::accent(), 0.5), 8.0, {}};
}

} // namespace

OptionTile::OptionTile(std::string symbol, QString title, QString subtitle, bool selected,
                       QWidget* parent)
    : SelectableTile(selected, parent)
    , symbol_(std::move(symbol))
    , title_(std::move(title))
    , subtitle_(std::move(subtitle)) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    GlowOverhang::install(this, QMarginsF(overhang()),
                          [this](QPainter& painter) { paintIconGlow(painter); });
}

void OptionTile::setUnavailable(const std::optional<QString>& why) {
    if (why == unavailable_)
        return;
    unavailable_ = why;
    setEnabled(!why);
    updateGeometry();
    update();
}

QMargins OptionTile::overhang() {
    // The icon sits inside the tile's padding, which its glow crosses first.
    const int inset = int(padding);
    return glowRoom(iconGlow()) - QMargins(inset, inset, inset, inset);
}

void OptionTile::paintIconGlow(QPainter& painter) {
    const qreal selected = selection();
    if (selected <= 0.0)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * selected);
    iconGlow_.paint(painter, continuousRoundedRect(iconRect(), iconRadius), iconGlow());
    painter.restore();
}

QRectF OptionTile::iconRect() const {
    const QRectF inner = QRectF(rect()).adjusted(padding, padding, -padding, -padding);
    return {inner.left(), inner.center().y() - iconSide / 2.0, iconSide, iconSide};
}

qreal OptionTile::titleHeight(qreal width) const {
    const QFontMetricsF metrics(titleFont());
    return metrics
        .boundingRect(QRectF(0, 0, std::max(width, 1.0), 1e6), Qt::TextWordWrap | Qt::AlignLeft,
                      title_)
        .height();
}

QRectF OptionTile::textRect() const {
    const qreal left = padding + iconSide + spacing;
    const qreal width = std::max(0.0, rect().width() - left - padding);
    const qreal height = titleHeight(width) + textSpacing + QFontMetricsF(subtitleFont()).height();
    return {left, rect().height() / 2.0 - height / 2.0, width, height};
}

QString OptionTile::visibleSubtitle() const {
    return QFontMetricsF(subtitleFont()).elidedText(subtitle(), Qt::ElideRight, textRect().width());
}

int OptionTile::heightForWidth(int width) const {
    const qreal textWidth = std::max(0.0, width - 2 * padding - iconSide - spacing);
    const qreal text =
        titleHeight(textWidth) + textSpacing + QFontMetricsF(subtitleFont()).height();
    return int(std::ceil(std::max(iconSide, text) + 2 * padding));
}

QSize OptionTile::sizeHint() const {
    const qreal text = std::max(QFontMetricsF(titleFont()).horizontalAdvance(title_),
                                QFontMetricsF(subtitleFont()).horizontalAdvance(subtitle()));
    const int width = int(std::ceil(2 * padding + iconSide + spacing + text));
    return {width, heightForWidth(width)};
}

QSize OptionTile::minimumSizeHint() const {
    const int width = int(2 * padding + iconSide + spacing + 40);
    return {width, heightForWidth(width)};
}

bool OptionTile::hitButton(const QPoint& position) const {
    return continuousRoundedRect(QRectF(rect()), cornerRadius).contains(QPointF(position));
}

void OptionTile::paintEvent(QPaintEvent*) {
    const qreal selected = selection();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (unavailable_)
        painter.setOpacity(0.45);

    const QRectF tile = QRectF(rect());
    const QPainterPath tileShape = continuousRoundedRect(tile, cornerRadius);
    painter.fillPath(tileShape, Theme::color(0xFFFFFF, 0.025 * (1.0 - selected)));
    painter.fillPath(tileShape, Theme::withOpacity(Theme::accent(), 0.1 * selected));
    strokeInside(painter, tile, cornerRadius,
                 Theme::mix(Theme::line(), Theme::withOpacity(Theme::accent(), 0.7), selected),
                 1.0);

    const QRectF icon = iconRect();
    const QPainterPath iconShape = continuousRoundedRect(icon, iconRadius);
    paintIconGlow(painter);
    if (selected > 0.0) {
        painter.save();
        painter.setOpacity(selected);
        painter.fillPath(iconShape, Theme::accentGradient(icon));
        painter.restore();
    }
    painter.fillPath(iconShape, Theme::color(0xFFFFFF, 0.05 * (1.0 - selected)));
    SymbolFont::paint(painter, icon, symbol_, 15, Theme::mix(Theme::muted(), Qt::white, selected));

    const QRectF text = textRect();
    const qreal titleBlock = titleHeight(text.width());
    painter.setFont(titleFont());
    painter.setPen(Theme::text());
    painter.drawText(QRectF(text.left(), text.top(), text.width(), titleBlock),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, title_);
    painter.setFont(subtitleFont());
    painter.setPen(Theme::muted());
    painter.drawText(QRectF(text.left(), text.top() + titleBlock + textSpacing, text.width(),
                            QFontMetricsF(subtitleFont()).height()),
                     Qt::AlignLeft | Qt::AlignTop, visibleSubtitle());
}

} // namespace clarivex
