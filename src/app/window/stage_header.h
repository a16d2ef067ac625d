#pragma once

#include "ui/paint/glow.h"

#include <QWidget>

#include <optional>

namespace clarivex {

class EngineIndicator;

// The top of the stage: the application's icon, "Clarivex" with its subtitle, and the engine
// indicator at the right. Padded 28 left and right, 22 above and 18 below. Main thread only.
class StageHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal iconSide = 46.0;
    static constexpr int sidePadding = 28;
    static constexpr int topPadding = 22;
    static constexpr int bottomPadding = 18;

    explicit StageHeader(QWidget* parent = nullptr);

    static int preferredHeight() { return topPadding + int(iconSide) + bottomPadding; }

    EngineIndicator* indicator() const { return indicator_; }
    QRectF iconRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    // At the right padding line, as wide as its label.
    void placeIndicator();
    void paintIcon(QPainter& painter, const QRectF& canvas);

    EngineIndicator* indicator_;
    GlowCache iconGlow_;
};

} // namespace clarivex
