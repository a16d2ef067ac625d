#include "ui/widgets/pill_button.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace clarivex {

namespace {

constexpr qreal symbolSpacing = 6.0;

} // namespace

QColor PillButtonStyle::foreground() const {
    return filled ? QColor(Qt::white) : Theme::text();
}

qreal PillButtonStyle::scale(qreal pressed) {
    return 1.0 + (pressedScale - 1.0) * pressed;
}

qreal PillButtonStyle::glowOpacity(qreal pressed) {
    return 0.45 + (0.2 - 0.45) * pressed;
}

GlowSpec PillButtonStyle::glow() {
    return {Theme::accent(), 14.0, {0.0, 4.0}};
}

PillButton::PillButton(const QString& text, PillButtonStyle style, QWidget* parent)
    : QAbstractButton(parent)
    , style_(style)
    , press_(
          0.0, PillButtonStyle::pressSpring(), [this] { update(); }, this) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    GlowOverhang::install(this, QMarginsF(PillButtonStyle::overhang()), [this](QPainter& painter) {
        painter.setOpacity(PillButtonStyle::opacity(isEnabled()));
        paintGlow(painter);
    });
    connect(this, &QAbstractButton::pressed, this, [this] { press_.animateTo(1.0); });
    connect(this, &QAbstractButton::released, this, [this] { press_.animateTo(0.0); });
}

void PillButton::setPillStyle(PillButtonStyle style) {
    if (style_ == style)
        return;
    style_ = style;
    updateGeometry();
    update();
}

void PillButton::setSymbol(const std::string& name) {
    symbol_ = name;
    updateGeometry();
    update();
}

QFont PillButton::labelFont() const {
    return Theme::system(style_.fontSize(), QFont::DemiBold);
}

qreal PillButton::labelWidth() const {
    qreal width = QFontMetricsF(labelFont()).horizontalAdvance(text());
    if (!symbol_.empty()) {
        const qreal symbolWidth = QFontMetricsF(SymbolFont::font(style_.fontSize()))
                                      .horizontalAdvance(SymbolFont::glyph(symbol_));
        width += symbolWidth + (text().isEmpty() ? 0.0 : symbolSpacing);
    }
    return width;
}

QSize PillButton::sizeHint() const {
    const qreal width = std::ceil(labelWidth() + 2.0 * style_.horizontalPadding());
    return {int(width), int(style_.height())};
}

QRectF PillButton::capsuleRect() const {
    const QRectF whole(rect());
    // Taller widgets keep the fixed capsule height, centred.
    const qreal height = std::min(whole.height(), style_.height());
    return {whole.left(), whole.center().y() - height / 2.0, whole.width(), height};
}

bool PillButton::hitButton(const QPoint& position) const {
    return capsule(capsuleRect()).contains(QPointF(position));
}

void PillButton::hideEvent(QHideEvent* event) {
    press_.finish();
    QAbstractButton::hideEvent(event);
}

void PillButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (isEnabled()) {
        paintButton(painter);
        return;
    }
    // The whole button fades as one picture; fading each layer on its own would let the glow
    // shine through the capsule.
    const qreal ratio = devicePixelRatioF();
    QImage layer((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        paintButton(layerPainter);
    }
    painter.setOpacity(PillButtonStyle::opacity(false));
    painter.drawImage(QPointF(0, 0), layer);
}

void PillButton::paintGlow(QPainter& painter) {
    if (!style_.filled)
        return;
    const QRectF shape = capsuleRect();
    const qreal pressed = press_.value();
    const qreal scale = PillButtonStyle::scale(pressed);
    painter.save();
    painter.translate(shape.center());
    painter.scale(scale, scale);
    painter.translate(-shape.center());
    painter.setOpacity(painter.opacity() * PillButtonStyle::glowOpacity(pressed));
    glowCache_.paintCapsule(painter, shape, PillButtonStyle::glow());
    painter.restore();
}

void PillButton::paintButton(QPainter& painter) {
    const QRectF shape = capsuleRect();
    const qreal pressed = press_.value();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintGlow(painter);

    const qreal scale = PillButtonStyle::scale(pressed);
    painter.translate(shape.center());
    painter.scale(scale, scale);
    painter.translate(-shape.center());

    const QPainterPath outline = capsule(shape);
    if (style_.filled) {
        painter.fillPath(outline, Theme::accentGradient(shape));
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Overlay);
        strokeCapsuleInside(painter, shape, Theme::color(0xFFFFFF, 0.25), 0.8);
        painter.restore();
    } else {
        painter.fillPath(outline, Theme::surfaceRaised());
        strokeCapsuleInside(painter, shape, Theme::lineStrong(), 1.0);
    }

    // The label is centred as a whole: symbol, spacing, text.
    const QFont font = labelFont();
    const qreal width = labelWidth();
    qreal x = shape.center().x() - width / 2.0;
    const QColor color = style_.foreground();
    if (!symbol_.empty()) {
        const QString glyph = SymbolFont::glyph(symbol_);
        const qreal symbolWidth =
            QFontMetricsF(SymbolFont::font(style_.fontSize())).horizontalAdvance(glyph);
        SymbolFont::paint(painter, QRectF(x, shape.top(), symbolWidth, shape.height()), symbol_,
                          style_.fontSize(), color);
        x += symbolWidth + symbolSpacing;
    }
    if (!text().isEmpty()) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(x, shape.top(), shape.right() - x, shape.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text());
    }
}

} // namespace clarivex
