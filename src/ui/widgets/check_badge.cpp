#include "ui/widgets/check_badge.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"

#include <QPainter>
#include <QPainterPath>

namespace clarivex {

namespace {

constexpr qreal bounceStart = 0.55;
constexpr SpringParameters bounceSpring{0.42, 0.45};

GlowSpec badgeGlow() {
    return {Theme::withOpacity(Theme::accent(), 0.6), 14.0, {}};
}

} // namespace

CheckBadge::CheckBadge(QWidget* parent)
    : QWidget(parent)
    , bounce_(
          1.0, bounceSpring, [this] { update(); }, this) {
    setFixedSize(int(side), int(side));
    GlowOverhang::install(this, QMarginsF(overhang()),
                          [this](QPainter& painter) { paintGlow(painter); });
}

QMargins CheckBadge::overhang() {
    return glowRoom(badgeGlow());
}

void CheckBadge::bounce() {
    bounce_.jumpTo(bounceStart);
    bounce_.animateTo(1.0);
}

void CheckBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintGlow(painter);
    const QRectF area(rect());
    QPainterPath circle;
    circle.addEllipse(area);
    painter.fillPath(circle, Theme::accentGradient(area));
    painter.translate(area.center());
    painter.scale(scale(), scale());
    painter.translate(-area.center());
    painter.setFont(Theme::system(20, QFont::Bold));
    SymbolFont::paint(painter, area, "checkmark", 20, Qt::white);
}

void CheckBadge::hideEvent(QHideEvent* event) {
    bounce_.finish();
    QWidget::hideEvent(event);
}

void CheckBadge::paintGlow(QPainter& painter) {
    QPainterPath circle;
    circle.addEllipse(QRectF(rect()));
    glow_.paint(painter, circle, badgeGlow());
}

} // namespace clarivex
