#pragma once

#include <QWidget>

#include <functional>

namespace clarivex {

// A place in a layout for widgets whose glow or shadow reaches beyond their visible edges. The
// slot is as large as the visible part; the widgets themselves are its siblings, laid over it by
// `place` (given the slot's rectangle in the parent) whenever the slot moves or resizes, so that
// their glow is not cut at the slot's edges and their visible edges line up with the rest of the
// column. Main thread only.
class OverhangSlot : public QWidget {
    Q_OBJECT
public:
    OverhangSlot(int visibleHeight, std::function<void(const QRect&)> place,
                 QWidget* parent = nullptr);

    void replace();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void(const QRect&)> place_;
};

} // namespace clarivex
