#include "ui/widgets/loop_fade_stepper.h"

#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal buttonWidth = 24.0;
constexpr qreal buttonHeight = 22.0;
constexpr qreal textSpacing = 10.0;

QFont valueFont() {
    return Theme::digits(13, QFont::DemiBold);
}

} // namespace

// One half of the − / + pair.
class StepButton : public QAbstractButton {
public:
    StepButton(QString sign, bool leftHalf, QWidget* parent)
        : QAbstractButton(parent)
        , leftHalf_(leftHalf) {
        setText(sign);
        setCursor(Qt::PointingHandCursor);
        setFixedSize(int(buttonWidth), int(buttonHeight));
        setAutoRepeat(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QRectF area = QRectF(rect());
        // Both halves together make one capsule; each draws its side of it.
        const QRectF whole = leftHalf_ ? area.adjusted(0, 0, area.width(), 0)
                                       : area.adjusted(-area.width(), 0, 0, 0);
        painter.setClipRect(area);
        painter.fillPath(capsule(whole),
                         isDown() ? Theme::color(0xFFFFFF, 0.14) : Theme::surfaceRaised());
        strokeCapsuleInside(painter, whole, Theme::lineStrong(), 1.0);
        if (!leftHalf_)
            painter.fillRect(QRectF(area.left(), area.top() + 5, 1.0, area.height() - 10),
                             Theme::lineStrong());
        painter.setFont(Theme::system(14, QFont::DemiBold));
        painter.setPen(isEnabled() ? Theme::text() : Theme::withOpacity(Theme::muted(), 0.5));
        painter.drawText(area, Qt::AlignCenter, text());
    }

private:
    bool leftHalf_;
};

LoopFadeStepper::LoopFadeStepper(QWidget* parent)
    : QWidget(parent)
    , down_(new StepButton(QStringLiteral("−"), true, this))
    , up_(new StepButton(QStringLiteral("+"), false, this)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    down_->setAccessibleName(QStringLiteral("Короче"));
    up_->setAccessibleName(QStringLiteral("Длиннее"));
    setFixedSize(sizeHint());
    connect(down_, &QAbstractButton::clicked, this, [this] { stepBy(-1); });
    connect(up_, &QAbstractButton::clicked, this, [this] { stepBy(1); });
    refresh();
}

QString LoopFadeStepper::text(double value) {
    return QString::asprintf("%.1f с", value);
}

double LoopFadeStepper::stepped(double value, int steps) {
    const double next = std::round(value / step) * step + steps * step;
    return std::clamp(next, minimum, maximum);
}

void LoopFadeStepper::setValue(double value) {
    value_ = std::isfinite(value) ? std::clamp(value, minimum, maximum) : minimum;
    refresh();
}

void LoopFadeStepper::stepBy(int steps) {
    const double next = stepped(value_, steps);
    if (next == value_)
        return;
    value_ = next;
    refresh();
    Q_EMIT valueChanged(value_);
}

void LoopFadeStepper::refresh() {
    down_->setEnabled(value_ > minimum);
    up_->setEnabled(value_ < maximum);
    const int textWidth = int(std::ceil(QFontMetricsF(valueFont()).horizontalAdvance(text(0.5))));
    down_->move(textWidth + int(textSpacing), 0);
    up_->move(down_->x() + int(buttonWidth), down_->y());
    setAccessibleName(text(value_));
    update();
}

QSize LoopFadeStepper::sizeHint() const {
    const int textWidth = int(std::ceil(QFontMetricsF(valueFont()).horizontalAdvance(text(0.5))));
    return {textWidth + int(textSpacing + 2 * buttonWidth), int(buttonHeight)};
}

void LoopFadeStepper::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(valueFont());
    painter.setPen(Theme::text());
    painter.drawText(QRectF(0, 0, down_->x() - textSpacing, height()),
                     Qt::AlignRight | Qt::AlignVCenter, text(value_));
}

} // namespace clarivex
