#include "app/window/overhang_slot.h"

namespace clarivex {

OverhangSlot::OverhangSlot(int visibleHeight, std::function<void(const QRect&)> place,
                           QWidget* parent)
    : QWidget(parent)
    , place_(std::move(place)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedHeight(visibleHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void OverhangSlot::replace() {
    place_(geometry());
}

void OverhangSlot::moveEvent(QMoveEvent* event) {
    replace();
    QWidget::moveEvent(event);
}

void OverhangSlot::resizeEvent(QResizeEvent* event) {
    replace();
    QWidget::resizeEvent(event);
}

} // namespace clarivex
