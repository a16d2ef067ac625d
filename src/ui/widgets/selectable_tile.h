#pragma once

#include "ui/animation/spring_value.h"

#include <QAbstractButton>

#include <algorithm>

namespace clarivex {

// What the option and size tiles share: a button that shows a selection its caller owns,
// easing between the two looks on the standard spring. Main thread only.
class SelectableTile : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected NOTIFY selectedChanged)
public:
    bool isSelected() const { return selected_.target() >= 0.5; }
    void setSelected(bool selected, bool animated = true);

Q_SIGNALS:
    void selectedChanged(bool selected);

protected:
    SelectableTile(bool selected, QWidget* parent);

    // How far the look has eased towards selected, from 0 to 1.
    qreal selection() const { return std::clamp(selected_.value(), 0.0, 1.0); }
    // A hidden tile does not animate: it shows its final look when it comes back.
    void hideEvent(QHideEvent* event) override;

private:
    SpringValue selected_;
};

} // namespace clarivex
