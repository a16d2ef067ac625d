#include "ui/widgets/selectable_tile.h"

#include "ui/paint/theme.h"

namespace clarivex {

SelectableTile::SelectableTile(bool selected, QWidget* parent)
    : QAbstractButton(parent)
    , selected_(
          selected ? 1.0 : 0.0, Theme::spring(), [this] { update(); }, this) {
    setCursor(Qt::PointingHandCursor);
}

void SelectableTile::setSelected(bool selected, bool animated) {
    const bool changed = selected != isSelected();
    const double target = selected ? 1.0 : 0.0;
    if (animated)
        selected_.animateTo(target);
    else
        selected_.jumpTo(target);
    if (changed)
        Q_EMIT selectedChanged(selected);
}

void SelectableTile::hideEvent(QHideEvent* event) {
    selected_.finish();
    QAbstractButton::hideEvent(event);
}

} // namespace clarivex
