#include "ui/widgets/size_tile.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

QFont titleFont() {
    return Theme::digits(20, QFont::ExtraBold);
}
QFont subtitleFont() {
    return Theme::system(10, QFont::Normal);
}

} // namespace

SizeTile::SizeTile(QString title, QString subtitle, bool selected, QWidget* parent)
    : SelectableTile(selected, parent)
    , title_(std::move(title))
    , subtitle_(std::move(subtitle)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    GlowOverhang::install(this, QMarginsF(overhang()),
                          [this](QPainter& painter) { paintShadow(painter); });
}

GlowSpec SizeTile::shadow() {
    return {Theme::withOpacity(Theme::accent(), 0.45), 14.0, {0, 4}};
}

QRectF SizeTile::tileRect() const {
    const QRectF whole(rect());
    return {whole.left(), whole.center().y() - tileHeight / 2.0, whole.width(), tileHeight};
}

QSize SizeTile::sizeHint() const {
    const qreal text = std::max(QFontMetricsF(titleFont()).horizontalAdvance(title_),
                                QFontMetricsF(subtitleFont()).horizontalAdvance(subtitle_));
    return {int(std::ceil(text + 24)), int(tileHeight)};
}

QSize SizeTile::minimumSizeHint() const {
    return {40, int(tileHeight)};
}

bool SizeTile::hitButton(const QPoint& position) const {
    return continuousRoundedRect(tileRect(), cornerRadius).contains(QPointF(position));
}

void SizeTile::paintShadow(QPainter& painter) {
    const qreal selected = selection();
    if (selected <= 0.0)
        return;
    painter.save();
    painter.setOpacity(selected);
    shadowCache_.paint(painter, continuousRoundedRect(tileRect(), cornerRadius), shadow());
    painter.restore();
}

void SizeTile::paintEvent(QPaintEvent*) {
    const qreal selected = selection();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF tile = tileRect();
    const QPainterPath shape = continuousRoundedRect(tile, cornerRadius);
    paintShadow(painter);
    if (selected > 0.0) {
        painter.save();
        painter.setOpacity(selected);
        painter.fillPath(shape, Theme::accentGradient(tile));
        painter.restore();
    }
    painter.fillPath(shape, Theme::color(0xFFFFFF, 0.03 * (1.0 - selected)));
    strokeInside(painter, tile, cornerRadius,
                 Theme::mix(Theme::line(), Theme::color(0xFFFFFF, 0.25), selected), 1.0);

    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF subtitleMetrics(subtitleFont());
    const qreal block = titleMetrics.height() + spacing + subtitleMetrics.height();
    const qreal top = tile.center().y() - block / 2.0;
    painter.setFont(titleFont());
    painter.setPen(Theme::mix(Theme::text(), Qt::white, selected));
    painter.drawText(QRectF(tile.left(), top, tile.width(), titleMetrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title_);
    painter.setFont(subtitleFont());
    painter.setPen(Theme::mix(Theme::muted(), Theme::color(0xFFFFFF, 0.8), selected));
    painter.drawText(QRectF(tile.left(), top + titleMetrics.height() + spacing, tile.width(),
                            subtitleMetrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, subtitle_);
}

} // namespace clarivex
