#include "ui/widgets/big_progress.h"

#include "ui/paint/glow.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/tabular_text.h"
#include "ui/paint/theme.h"
#include "ui/widgets/glow_bar.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace clarivex {

namespace {

constexpr qreal percentSpacing = 2.0;
constexpr qreal columnSpacing = 3.0;
constexpr qreal barHeight = 6.0;

QFont numberFont() {
    return Theme::digits(56, QFont::ExtraBold);
}
QFont percentFont() {
    return Theme::digits(24, QFont::Bold);
}
QFont detailFont() {
    return Theme::digits(12, QFont::Medium);
}

QFont stageFont() {
    QFont font = Theme::caps(10);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.4);
    return font;
}

qreal digitSlotWidth() {
    return TabularText::digitWidth(numberFont());
}

} // namespace

BigProgress::BigProgress(QWidget* parent)
    : QWidget(parent)
    , roll_(
          1.0, rollSpring(), [this] { update(QRectF(rows().number).toAlignedRect()); }, this)
    , bar_(new GlowBar(barHeight, this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Qt cannot draw a widget's effect inside another's drawn directly: the inner one begins a
    // second painter on the same device and paints with an inactive one. So the bar keeps no
    // overhang of its own here; this widget paints the bar's glow around it (paintEvent) and,
    // as the bar runs edge to edge, beyond its own ends.
    bar_->setGraphicsEffect(nullptr);
    const QMargins barOverhang = GlowBar::overhang();
    GlowOverhang::install(this, QMarginsF(barOverhang.left(), 0, barOverhang.right(), 0),
                          [this](QPainter& painter) {
                              painter.translate(bar_->pos());
                              bar_->paintGlow(painter);
                          });
}

long long BigProgress::percentFor(qreal fraction) {
    const double percent = std::floor(fraction * 100.0);
    if (std::isnan(percent))
        return 0;
    return static_cast<long long>(std::clamp(percent, -1e15, 1e15));
}

void BigProgress::setFraction(qreal fraction) {
    bar_->setValue(fraction);
    if (fraction != fraction_) {
        fraction_ = fraction;
        Q_EMIT fractionChanged(fraction);
    }
    const long long percent = percentFor(fraction);
    if (percent == number_.to)
        return;
    // A change mid-roll starts from what the viewer last settled on.
    number_.from = roll_.value() >= 0.5 ? number_.to : number_.from;
    number_.to = percent;
    roll_.jumpTo(0.0);
    roll_.animateTo(1.0);
    update();
}

void BigProgress::setStage(const QString& stage) {
    if (stage_ == stage)
        return;
    stage_ = stage;
    update();
    Q_EMIT stageChanged(stage);
}

void BigProgress::setDetail(const QString& detail) {
    if (detail_ == detail)
        return;
    detail_ = detail;
    update();
    Q_EMIT detailChanged(detail);
}

void BigProgress::setEta(const std::optional<QString>& eta) {
    eta_ = eta;
    update();
}

QRectF BigProgress::contentRect() const {
    return QRectF(rect());
}

BigProgress::Rows BigProgress::rows() const {
    // Laid out once per size: the bar's shimmer asks on every frame.
    if (rows_ && rowsSize_ == size())
        return *rows_;
    const QRectF content = contentRect();
    const QFontMetricsF number(numberFont());
    const QFontMetricsF eta(Theme::digits(12, QFont::Medium));
    const QFontMetricsF stage(stageFont());
    const qreal baseline = content.top() + number.ascent();
    // The right column hangs from the shared baseline: its ETA line may reach below the number.
    const qreal etaBottom = baseline + stage.descent() + columnSpacing + eta.height();
    const qreal headlineBottom = std::max(baseline + number.descent(), etaBottom);
    const QRectF bar(content.left(), headlineBottom + rowSpacing, content.width(), barHeight);
    const QFontMetricsF detail(detailFont());
    const QRectF detailRect(content.left(), bar.bottom() + rowSpacing, content.width(),
                            detail.height());
    rowsSize_ = size();
    rows_ =
        Rows{baseline,
             QRectF(content.left(), content.top(), content.width(), headlineBottom - content.top()),
             bar, detailRect, detailRect.bottom()};
    return *rows_;
}

QSize BigProgress::sizeHint() const {
    return {360, int(std::ceil(rows().height))};
}

QSize BigProgress::minimumSizeHint() const {
    return {160, int(std::ceil(rows().height))};
}

void BigProgress::placeBar() {
    bar_->setGeometry(rows().bar.toAlignedRect());
}

void BigProgress::resizeEvent(QResizeEvent* event) {
    placeBar();
    QWidget::resizeEvent(event);
}

void BigProgress::hideEvent(QHideEvent* event) {
    roll_.finish();
    QWidget::hideEvent(event);
}

void BigProgress::paintEvent(QPaintEvent* event) {
    const Rows layout = rows();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The bar's shimmer repaints a strip between the rows every frame; text it does not touch
    // is not laid out again.
    const QRectF dirty(event->rect());
    const QRect bar = bar_->geometry();
    if (dirty.intersects(QRectF(bar).marginsAdded(glowMargins(GlowBar::glow())))) {
        painter.save();
        painter.setClipRegion(QRegion(rect()).subtracted(QRegion(bar)));
        painter.translate(bar.topLeft());
        bar_->paintGlow(painter);
        painter.restore();
    }
    if (dirty.intersects(layout.number))
        paintHeadline(painter, layout);
    if (dirty.intersects(layout.detail)) {
        painter.setFont(detailFont());
        painter.setPen(Theme::muted());
        TabularText::draw(painter, layout.detail, Qt::AlignLeft,
                          TabularText::elided(detailFont(), detail_, layout.detail.width()));
    }
}

void BigProgress::paintDigits(QPainter& painter, const Rows& layout) const {
    const QRectF content = contentRect();
    const qreal progress = roll_.value();
    const qreal slot = digitSlotWidth();
    const QFontMetricsF metrics(numberFont());
    const qreal lineHeight = metrics.ascent() * 0.8;
    const auto draw = [&](QPainter& target) {
        target.setFont(numberFont());
        target.setPen(Theme::text());
        for (const RollingNumber::Glyph& glyph : number_.glyphs(progress)) {
            const qreal slotLeft = content.left() + glyph.left * slot;
            const qreal advance = metrics.horizontalAdvance(glyph.digit);
            target.setOpacity(glyph.opacity);
            target.drawText(QPointF(slotLeft + (slot - advance) / 2.0,
                                    layout.baseline + glyph.offset * lineHeight),
                            QString(glyph.digit));
        }
    };
    if (!roll_.isAnimating()) {
        // At rest the digits go straight onto the card, with the same edges as all other text.
        painter.save();
        draw(painter);
        painter.restore();
        return;
    }
    // Rolling digits pass behind a window the height of the line and fade out towards its top
    // and bottom edges rather than being cut there: they are drawn on a layer of their own,
    // which a mask clears from the digits' resting ink outwards.
    const qreal widest = std::max(number_.width(0.0), number_.width(1.0)) * slot;
    const QRectF window(content.left(), layout.baseline - metrics.ascent(), widest + slot,
                        metrics.height());
    const qreal ratio = painter.device()->devicePixelRatioF();
    QImage layer((window.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter digits(&layer);
    digits.setRenderHints(painter.renderHints());
    digits.translate(-window.topLeft());
    draw(digits);
    const QRectF ink = metrics.tightBoundingRect(QStringLiteral("0123456789"));
    const auto at = [&](qreal y) {
        return std::clamp((layout.baseline + y - window.top()) / window.height(), 0.0, 1.0);
    };
    QLinearGradient mask(0, window.top(), 0, window.bottom());
    mask.setColorAt(0.0, Qt::transparent);
    mask.setColorAt(at(ink.top()), Qt::black);
    mask.setColorAt(at(ink.bottom()), Qt::black);
    mask.setColorAt(1.0, Qt::transparent);
    digits.setOpacity(1.0);
    digits.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    digits.fillRect(window, mask);
    digits.end();
    painter.drawImage(window.topLeft(), layer);
}

void BigProgress::paintHeadline(QPainter& painter, const Rows& layout) {
    const QRectF content = contentRect();

    const qreal numberRight = content.left() + number_.width(roll_.value()) * digitSlotWidth();
    paintDigits(painter, layout);

    painter.setFont(percentFont());
    painter.setPen(Theme::muted());
    painter.drawText(QPointF(numberRight + percentSpacing, layout.baseline), QStringLiteral("%"));

    const QFontMetricsF stageMetrics(stageFont());
    const QString stage = stage_.toUpper();
    painter.setFont(stageFont());
    painter.setPen(Theme::accentGlow());
    painter.drawText(
        QPointF(content.right() - stageMetrics.horizontalAdvance(stage), layout.baseline), stage);
    if (eta_) {
        const QFont etaFont = Theme::digits(12, QFont::Medium);
        const QFontMetricsF etaMetrics(etaFont);
        painter.setFont(etaFont);
        painter.setPen(Theme::muted());
        const qreal etaBaseline =
            layout.baseline + stageMetrics.descent() + columnSpacing + etaMetrics.ascent();
        TabularText::draw(
            painter, QPointF(content.right() - TabularText::width(etaFont, *eta_), etaBaseline),
            *eta_);
    }
}

} // namespace clarivex
