#include "ui/widgets/shine_sweep.h"

#include "ui/paint/theme.h"

#include <QEvent>
#include <QPainter>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace clarivex {

bool ShinePath::crosses(qreal phase, qreal width, qreal height) {
    const qreal band = bandWidth(width);
    const qreal left = bandLeft(phase, width);
    const qreal radians = angleDegrees * std::numbers::pi / 180.0;
    // Half the rotated band's horizontal extent around its centre.
    const qreal halfExtent = band / 2.0 * std::cos(radians) + height / 2.0 * std::sin(radians);
    const qreal centre = left + band / 2.0;
    return centre + halfExtent > 0.0 && centre - halfExtent < width;
}

ShineSweep::ShineSweep(QWidget* view)
    : QWidget(view)
    , phase_(
          ShinePath::restingPhase, ShinePath::durationMs, Theme::easeInOut(), [this] { update(); },
          this) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(view->contentsRect());
    view->installEventFilter(this);
    raise();
    show();
}

ShineSweep* ShineSweep::on(QWidget* view) {
    if (auto* existing = view->findChild<ShineSweep*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new ShineSweep(view);
}

void ShineSweep::setTrigger(int trigger) {
    trigger_.take(
        trigger, [this](int value) { Q_EMIT triggerChanged(value); }, [this] { sweep(); });
}

void ShineSweep::sweep() {
    // A new trigger during a sweep starts it again from the left.
    raise();
    phase_.jumpTo(ShinePath::startPhase);
    phase_.animateTo(ShinePath::endPhase);
}

bool ShineSweep::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::ContentsRectChange))
        setGeometry(parentWidget()->contentsRect());
    return QWidget::eventFilter(watched, event);
}

void ShineSweep::hideEvent(QHideEvent* event) {
    phase_.finish();
    QWidget::hideEvent(event);
}

void ShineSweep::paintEvent(QPaintEvent*) {
    const qreal width = this->width();
    const qreal height = this->height();
    const qreal phase = phase_.value();
    if (!ShinePath::crosses(phase, width, height))
        return;
    const qreal band = ShinePath::bandWidth(width);
    const QRectF bandRect(ShinePath::bandLeft(phase, width), 0.0, band, height);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(bandRect.center());
    painter.rotate(ShinePath::angleDegrees);
    painter.translate(-bandRect.center());
    QLinearGradient light(bandRect.topLeft(), bandRect.topRight());
    light.setColorAt(0.0, Theme::color(0xFFFFFF, 0.0));
    light.setColorAt(0.5, Theme::color(0xFFFFFF, 0.28));
    light.setColorAt(1.0, Theme::color(0xFFFFFF, 0.0));
    // Adding light only ever brightens what lies beneath.
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.fillRect(bandRect, light);
}

ShineSweep* shine(QWidget* view, int trigger) {
    ShineSweep* sweep = ShineSweep::on(view);
    sweep->setTrigger(trigger);
    return sweep;
}

} // namespace clarivex
