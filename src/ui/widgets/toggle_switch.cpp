#include "ui/widgets/toggle_switch.h"

#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPainter>
#include <QSignalBlocker>

namespace clarivex {

namespace {

constexpr qreal knobInset = 2.0;

} // namespace

ToggleSwitch::ToggleSwitch(QWidget* parent)
    : QAbstractButton(parent)
    , knob_(
          0.0, Theme::spring(), [this] { update(); }, this) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::setOn(bool on) {
    const QSignalBlocker blocker(this);
    setChecked(on);
}

QSize ToggleSwitch::sizeHint() const {
    // One point of room for the antialiased edge.
    return {int(trackWidth) + 2, int(trackHeight) + 2};
}

QRectF ToggleSwitch::trackRect() const {
    return {(width() - trackWidth) / 2.0, (height() - trackHeight) / 2.0, trackWidth, trackHeight};
}

void ToggleSwitch::checkStateSet() {
    knob_.animateTo(isChecked() ? 1.0 : 0.0);
    QAbstractButton::checkStateSet();
}

void ToggleSwitch::nextCheckState() {
    QAbstractButton::nextCheckState();
    knob_.animateTo(isChecked() ? 1.0 : 0.0);
}

void ToggleSwitch::hideEvent(QHideEvent* event) {
    knob_.finish();
    QAbstractButton::hideEvent(event);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = trackRect();
    const qreal on = std::clamp(knob_.value(), 0.0, 1.0);
    painter.fillPath(capsule(track), Theme::mix(Theme::color(0xFFFFFF, 0.14), Theme::accent(), on));
    if (hasFocus())
        strokeCapsuleInside(painter, track, Theme::accentGlow(), 1.0);

    const qreal side = track.height() - 2 * knobInset;
    const qreal travel = track.width() - 2 * knobInset - side;
    const QRectF knob(track.left() + knobInset + travel * knob_.value(), track.top() + knobInset,
                      side, side);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::color(0x000000, 0.25));
    painter.drawEllipse(knob.translated(0, 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
}

} // namespace clarivex
