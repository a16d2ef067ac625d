#include "ui/animation/appearance.h"

#include "ui/paint/fade_scale_effect.h"

#include <QWidget>

#include <algorithm>
#include <utility>

namespace clarivex {

Appearance::Appearance(QWidget* view, AppearanceStyle style, SpringParameters spring)
    : QObject(view)
    , view_(view)
    , style_(style)
    , amount_(
          1.0, spring, [this] { apply(); }, view) {}

void Appearance::enter() {
    // Called back while on its way out, a view turns round where it is instead of starting over.
    const bool turning = leaving_ && amount_.isAnimating();
    // A picture left from an earlier leave shows what was; the view comes back as it is now.
    auto* earlier = qobject_cast<FadeScaleEffect*>(view_->graphicsEffect());
    leaving_ = false;
    gone_ = nullptr;
    if (!turning)
        amount_.jumpTo(0.0);
    if (earlier && view_->isVisible())
        earlier->capture(view_);
    apply();
    amount_.animateTo(1.0);
}

void Appearance::leave(std::function<void()> gone) {
    leaving_ = true;
    gone_ = std::move(gone);
    amount_.animateTo(0.0);
    // The picture of the view is taken now, while what it shows still exists: a view may leave
    // because its subject is going away. A hidden view (or reduce motion) jumps without a step
    // when already away.
    apply();
}

void Appearance::setShown(bool shown) {
    if (shown) {
        view_->show();
        enter();
    } else {
        leave([view = view_] { view->hide(); });
    }
}

void Appearance::apply() {
    if (onChange_)
        onChange_();
    const qreal amount = amount_.value();
    const bool settled = !amount_.isAnimating();
    if (settled && amount >= 1.0) {
        view_->setGraphicsEffect(nullptr);
        return;
    }
    if (settled && leaving_ && amount <= 0.0) {
        if (auto gone = std::exchange(gone_, nullptr))
            gone();
        return;
    }
    auto* effect = qobject_cast<FadeScaleEffect*>(view_->graphicsEffect());
    if (!effect) {
        effect = new FadeScaleEffect;
        view_->setGraphicsEffect(effect);
    }
    if (!effect->hasPicture() && view_->isVisible())
        effect->capture(view_);
    const qreal away = 1.0 - amount;
    effect->setOpacity(std::clamp(amount, 0.0, 1.0));
    effect->setScale(1.0 + (style_.scale - 1.0) * away);
    effect->setShift(QPointF(style_.shift.x() * view_->width() * away,
                             style_.shift.y() * view_->height() * away));
}

} // namespace clarivex
