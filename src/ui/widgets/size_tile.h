#pragma once

#include "ui/paint/glow.h"
#include "ui/widgets/selectable_tile.h"

namespace clarivex {

// A compact choice block for the output size: a big label over a small caption. Selected, it
// takes the accent gradient and casts an accent shadow. The widget is the tile (60 high,
// centred in a taller widget); the shadow overhangs it by overhang() (see GlowOverhang). A
// click emits clicked(). Main thread only.
class SizeTile : public SelectableTile {
    Q_OBJECT
public:
    static constexpr qreal tileHeight = 60.0;
    static constexpr qreal cornerRadius = 13.0;
    static constexpr qreal spacing = 2.0;

    SizeTile(QString title, QString subtitle, bool selected = false, QWidget* parent = nullptr);

    QString title() const { return title_; }
    QString subtitle() const { return subtitle_; }

    // The tile: the widget's width, 60 high, centred.
    QRectF tileRect() const;

    static GlowSpec shadow();
    static QMargins overhang() { return glowRoom(shadow()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void paintShadow(QPainter& painter);

    QString title_;
    QString subtitle_;
    GlowCache shadowCache_;
};

} // namespace clarivex
