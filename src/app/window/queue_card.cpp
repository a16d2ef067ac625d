#include "app/window/queue_card.h"

#include "app/queue/job.h"
#include "app/window/job_texts.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"
#include "ui/widgets/mini_ring.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal badgePadding = 7.0;
constexpr qreal badgeSpacing = 6.0;
constexpr qreal ringSide = 14.0;

GlowSpec selectedShadow() {
    return {Theme::withOpacity(Theme::accent(), 0.35), 12.0, {}};
}

GlowSpec restingShadow() {
    return {Theme::color(0x000000, 0.4), 6.0, {}};
}

struct Badge {
    const char* symbol;
    qreal size;
    QColor color;
};

Badge badgeFor(JobStatus::Case status) {
    switch (status) {
    case JobStatus::Case::waiting:
        return {"clock", 12, Theme::muted()};
    case JobStatus::Case::done:
        return {"checkmark.circle.fill", 13, Theme::accent()};
    case JobStatus::Case::failed:
        return {"exclamationmark.circle.fill", 13, Theme::accent()};
    case JobStatus::Case::cancelled:
        return {"xmark.circle", 13, Theme::muted()};
    case JobStatus::Case::running:
        break;
    }
    return {"", 0, {}};
}

// The part of the picture that fills the card without distortion: centred, cropped.
QRectF coverRect(const QSize& picture, const QRectF& card) {
    if (picture.isEmpty())
        return card;
    const qreal scale = std::max(card.width() / picture.width(), card.height() / picture.height());
    const QSizeF size(picture.width() * scale, picture.height() * scale);
    return {card.center().x() - size.width() / 2, card.center().y() - size.height() / 2,
            size.width(), size.height()};
}

} // namespace

QueueCard::QueueCard(Job& job, QWidget* parent)
    : QWidget(parent)
    , job_(&job)
    , selected_(
          0.0, Theme::spring(), [this] { update(); }, this)
    , ring_(new MiniRing(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::TabFocus);
    ring_->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(title());
    refresh();
    if (const UpscaleProgress* progress = job.status().progress())
        ring_->setValueImmediately(progress->fraction);
}

QMargins QueueCard::room() {
    const int growth = int(std::ceil(cardWidth * (selectedScale - 1.0) / 2.0));
    return GlowOverhang::room(
        {glowRoom(selectedShadow()) + QMargins(growth, growth, growth, growth),
         MiniRing::overhang()});
}

QSize QueueCard::sizeHint() const {
    const QMargins margins = room();
    return {int(cardWidth) + margins.left() + margins.right(),
            int(cardHeight) + margins.top() + margins.bottom()};
}

QRectF QueueCard::cardRect() const {
    const QMargins margins = room();
    return {qreal(margins.left()), qreal(margins.top()), cardWidth, cardHeight};
}

QString QueueCard::title() const {
    return job_ ? JobTexts::cardName(job_->fileName()) : QString();
}

QString QueueCard::badgeSymbol() const {
    if (!job_)
        return {};
    return QString::fromLatin1(badgeFor(job_->status().which()).symbol);
}

void QueueCard::setSelected(bool selected) {
    selected_.animateTo(selected ? 1.0 : 0.0);
}

QRectF QueueCard::badgeRect() const {
    const QRectF card = cardRect();
    return {card.left() + badgePadding, card.bottom() - badgePadding - ringSide, ringSide,
            ringSide};
}

void QueueCard::refresh() {
    if (!job_)
        return;
    const UpscaleProgress* progress = job_->status().progress();
    ring_->setVisible(progress != nullptr);
    if (progress)
        ring_->setValue(progress->fraction);
    update();
}

void QueueCard::resizeEvent(QResizeEvent* event) {
    ring_->setGeometry(badgeRect().toAlignedRect());
    QWidget::resizeEvent(event);
}

void QueueCard::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        Q_EMIT activated();
        return;
    }
    QWidget::keyPressEvent(event);
}

void QueueCard::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void QueueCard::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void QueueCard::hideEvent(QHideEvent* event) {
    selected_.finish();
    QWidget::hideEvent(event);
}

void QueueCard::paintEvent(QPaintEvent*) {
    if (!job_)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF card = cardRect();
    const qreal selected = std::clamp(selected_.value(), 0.0, 1.0);
    const qreal scale = 1.0 + (selectedScale - 1.0) * selected_.value();
    painter.translate(card.center());
    painter.scale(scale, scale);
    painter.translate(-card.center());

    const QPainterPath shape = continuousRoundedRect(card, cornerRadius);
    painter.save();
    painter.setOpacity(1.0 - selected);
    blackShadow_.paint(painter, shape, restingShadow());
    painter.setOpacity(selected);
    accentShadow_.paint(painter, shape, selectedShadow());
    painter.restore();

    const QImage& preview = job_->preview();
    if (preview.isNull())
        painter.fillPath(shape, Theme::surfaceRaised());
    else
        fillWithImage(painter, shape, preview, coverRect(preview.size(), card), true);
    QLinearGradient shade(0, card.center().y(), 0, card.bottom());
    shade.setColorAt(0.0, Theme::color(0x000000, 0.0));
    shade.setColorAt(1.0, Theme::color(0x000000, 0.85));
    painter.fillPath(shape, shade);

    if (selected < 1.0) {
        painter.save();
        painter.setOpacity(1.0 - selected);
        strokeInside(painter, card, cornerRadius, Theme::line(), 1.0);
        painter.restore();
    }
    if (selected > 0.0) {
        painter.save();
        painter.setOpacity(selected);
        strokeInside(painter, card, cornerRadius, Theme::accentGradient(card), 2.0);
        painter.restore();
    }

    if (hasFocus())
        strokeInside(painter, card.adjusted(-3, -3, 3, 3), cornerRadius + 3,
                     Theme::withOpacity(Theme::accentGlow(), 0.8), 1.5);

    const QRectF badge = badgeRect();
    const Badge look = badgeFor(job_->status().which());
    if (look.size > 0)
        SymbolFont::paint(painter, badge, look.symbol, look.size, look.color);
    const QFont font = Theme::system(10, QFont::DemiBold);
    const qreal left = badge.right() + badgeSpacing;
    const qreal width = card.right() - badgePadding - left;
    painter.setFont(font);
    painter.setPen(Theme::text());
    painter.drawText(QRectF(left, badge.top() - 4, width, badge.height() + 8),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(font).elidedText(title(), Qt::ElideRight, width));
}

} // namespace clarivex
