#include "ui/widgets/stage_placeholder.h"

#include "ui/animation/reduce_motion.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPainter>

#include <cmath>

namespace clarivex {

namespace {

constexpr qreal spinnerSide = 22.0;
constexpr qreal spinnerLine = 2.5;
constexpr double turnsPerSecond = 1.0;

} // namespace

StagePlaceholder::StagePlaceholder(QWidget* parent)
    : QWidget(parent)
    , ticker_([this](double) { update(spinnerRect().toAlignedRect().adjusted(-2, -2, 2, 2)); }) {
    setAccessibleName(QStringLiteral("Загрузка"));
}

QRectF StagePlaceholder::spinnerRect() const {
    const QPointF centre = QRectF(rect()).center();
    return {centre.x() - spinnerSide / 2, centre.y() - spinnerSide / 2, spinnerSide, spinnerSide};
}

void StagePlaceholder::showEvent(QShowEvent* event) {
    if (!ReduceMotion::enabled())
        ticker_.start();
    QWidget::showEvent(event);
}

void StagePlaceholder::hideEvent(QHideEvent* event) {
    ticker_.stop();
    QWidget::hideEvent(event);
}

void StagePlaceholder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(QRectF(rect()), cornerRadius),
                     Theme::color(0xFFFFFF, 0.03));

    const QRectF spinner = spinnerRect().adjusted(spinnerLine / 2, spinnerLine / 2,
                                                  -spinnerLine / 2, -spinnerLine / 2);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Theme::color(0xFFFFFF, 0.12), spinnerLine));
    painter.drawEllipse(spinner);
    const double turn =
        ReduceMotion::enabled() ? 0.0 : std::fmod(FrameClock::now() * turnsPerSecond, 1.0);
    QPen arc(Theme::muted(), spinnerLine);
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    // Qt counts angles anticlockwise in sixteenths of a degree.
    painter.drawArc(spinner, int(-turn * 360 * 16), 100 * 16);
}

} // namespace clarivex
