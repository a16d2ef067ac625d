#include "ui/widgets/card.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPainter>
#include <QVBoxLayout>

namespace clarivex {

void paintCard(QPainter& painter, const QRectF& rect, qreal radius, bool highlighted,
               GlowCache& shadowCache) {
    const QPainterPath shape = continuousRoundedRect(rect, radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    shadowCache.paint(painter, shape, Card::shadow());

    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0.0, Theme::surfaceRaised());
    fill.setColorAt(1.0, Theme::surface());
    painter.fillPath(shape, fill);

    if (highlighted) {
        strokeInside(painter, rect, radius, Theme::accentGradient(rect), 1.4);
    } else {
        QLinearGradient border(rect.topLeft(), rect.bottomLeft());
        border.setColorAt(0.0, Theme::color(0xFFFFFF, 0.16));
        border.setColorAt(1.0, Theme::color(0xFFFFFF, 0.04));
        strokeInside(painter, rect, radius, border, 1.0);
    }
    painter.restore();
}

Card::Card(qreal radius, bool highlighted, QWidget* parent)
    : QWidget(parent)
    , radius_(radius)
    , highlighted_(highlighted) {
    GlowOverhang::install(this, QMarginsF(overhang()), [this](QPainter& painter) {
        shadowCache_.paint(painter, continuousRoundedRect(cardRect(), radius_), shadow());
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void Card::setContent(QWidget* content) {
    if (content_ == content)
        return;
    if (content_)
        layout()->removeWidget(content_);
    content_ = content;
    if (content_)
        static_cast<QVBoxLayout*>(layout())->addWidget(content_, 1, Qt::Alignment());
}

void Card::setRadius(qreal radius) {
    if (radius_ == radius)
        return;
    radius_ = radius;
    update();
}

void Card::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted)
        return;
    highlighted_ = highlighted;
    update();
    Q_EMIT highlightedChanged(highlighted);
}

GlowSpec Card::shadow() {
    return {Theme::color(0x000000, 0.55), 18.0, {0.0, 10.0}};
}

QMargins Card::overhang() {
    return glowRoom(shadow());
}

void Card::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintCard(painter, cardRect(), radius_, highlighted_, shadowCache_);
}

Card* card(QWidget* content, qreal radius, bool highlighted, QWidget* parent) {
    auto* frame = new Card(radius, highlighted, parent);
    frame->setContent(content);
    return frame;
}

} // namespace clarivex
