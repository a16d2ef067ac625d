#include "ui/widgets/reveal_box.h"

#include "ui/animation/appearance.h"
#include "ui/paint/theme.h"

#include <QEvent>

#include <algorithm>
#include <cmath>

namespace clarivex {

RevealBox::RevealBox(QWidget* content, int gap, QWidget* parent)
    : QWidget(parent)
    , content_(content)
    , gap_(gap)
    // The box places the content itself, frame by frame: the fade draws it where it is.
    , appearance_(new Appearance(content, {}, Theme::spring())) {
    content_->setParent(this);
    content_->hide();
    appearance_->setOnChange([this] { followContent(); });
    setFixedHeight(0);
    adopt();
}

void RevealBox::drawIn(QWidget* layer) {
    layer_ = layer;
    adopt();
}

void RevealBox::adopt() {
    QWidget* layer = layer_ ? layer_.data() : parentWidget();
    if (!layer || content_->parentWidget() == layer)
        return;
    const bool visible = !content_->isHidden();
    content_->setParent(layer);
    content_->setVisible(visible);
    // Between the box and the layer, anything that moves or resizes moves the box on the layer.
    for (QWidget* ancestor = parentWidget(); ancestor && ancestor != layer;
         ancestor = ancestor->parentWidget())
        ancestor->installEventFilter(this);
    placeContent();
}

void RevealBox::setShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    placeContent();
    appearance_->setShown(shown);
    followContent();
}

int RevealBox::fullHeight() const {
    return gap_ + content_->sizeHint().height();
}

QRect RevealBox::contentRect() const {
    const qreal amount = content_->isHidden() ? 0.0 : std::clamp(appearance_->amount(), 0.0, 1.0);
    const int height = content_->sizeHint().height();
    // From centred on the box's top edge down to its place under the gap: the least it can
    // reach past the box on either side while it slides from the top.
    const qreal top = amount * gap_ - (1.0 - amount) * height / 2.0;
    return {0, int(std::lround(top)), width(), height};
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
    placeContent();
}

void RevealBox::placeContent() {
    QWidget* layer = content_->parentWidget();
    if (layer == this)
        return;
    const QRect shown = contentRect();
    content_->setGeometry(QRect(mapTo(layer, shown.topLeft()), shown.size()));
    content_->raise();
}

bool RevealBox::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
        adopt();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        placeContent();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool RevealBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        placeContent();
    return QWidget::eventFilter(watched, event);
}

} // namespace clarivex
