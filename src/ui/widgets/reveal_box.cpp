#include "ui/widgets/reveal_box.h"

#include "ui/animation/appearance.h"
#include "ui/paint/theme.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

RevealBox::RevealBox(QWidget* content, int gap, QWidget* parent)
    : QWidget(parent)
    , content_(content)
    , gap_(gap)
    , appearance_(new Appearance(content, {1.0, {0.0, -0.5}}, Theme::spring())) {
    content_->setParent(this);
    content_->hide();
    appearance_->setOnChange([this] { followContent(); });
    setFixedHeight(0);
}

void RevealBox::setShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    appearance_->setShown(shown);
    followContent();
}

int RevealBox::fullHeight() const {
    return gap_ + content_->sizeHint().height();
}

QSize RevealBox::sizeHint() const {
    return {content_->sizeHint().width(), height()};
}

QSize RevealBox::minimumSizeHint() const {
    return {content_->minimumSizeHint().width(), height()};
}

void RevealBox::followContent() {
    // The spring may overshoot; the room does not, so what lies below never bounces past its
    // place.
    const qreal amount = content_->isHidden() ? 0.0 : std::clamp(appearance_->amount(), 0.0, 1.0);
    setFixedHeight(int(std::lround(amount * fullHeight())));
}

void RevealBox::resizeEvent(QResizeEvent* event) {
    // The content keeps its own height and sits at the top; the box shows as much as it has room
    // for.
    content_->setGeometry(0, gap_, width(), content_->sizeHint().height());
    QWidget::resizeEvent(event);
}

} // namespace clarivex
