#pragma once

#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QWidget>

namespace clarivex {

// The round accent badge of a success, whose check mark bounces each time bounce() is called.
class CheckBadge : public QWidget {
public:
    static constexpr qreal side = 46.0;

    explicit CheckBadge(QWidget* parent = nullptr);
    // How far its glow reaches past its rectangle.
    static QMargins overhang();

    // The check mark starts small and springs past its size once.
    void bounce();
    // The check mark's size while it bounces, 1 at rest.
    qreal scale() const { return bounce_.value(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void paintGlow(QPainter& painter);

    SpringValue bounce_;
    GlowCache glow_;
};

} // namespace clarivex
