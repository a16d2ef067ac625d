#pragma once

#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QAbstractButton>

#include <string>

namespace clarivex {

// A wide choice row for the model: an icon block, a title and a one-line hint. Selection is
// the caller's; the tile only shows it, easing between the looks on the standard spring. A
// click emits clicked(). The widget is the tile; a selected icon's glow overhangs it by
// overhang() (see GlowOverhang). Main thread only.
class OptionTile : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected NOTIFY selectedChanged)
public:
    static constexpr qreal padding = 8.0;
    static constexpr qreal spacing = 10.0;
    static constexpr qreal iconSide = 32.0;
    static constexpr qreal iconRadius = 9.0;
    static constexpr qreal cornerRadius = 13.0;

    OptionTile(std::string symbol, QString title, QString subtitle, bool selected = false,
               QWidget* parent = nullptr);

    bool isSelected() const { return selected_.target() >= 0.5; }
    void setSelected(bool selected, bool animated = true);
    QString title() const { return title_; }
    QString subtitle() const { return subtitle_; }

    QRectF iconRect() const;
    QRectF textRect() const;
    // The subtitle as drawn: one line, cut with an ellipsis when too long.
    QString visibleSubtitle() const;

    static QMargins overhang();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void selectedChanged(bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void hideEvent(QHideEvent* event) override;

private:
    qreal titleHeight(qreal width) const;
    void paintIconGlow(QPainter& painter);

    std::string symbol_;
    QString title_;
    QString subtitle_;
    SpringValue selected_;
    GlowCache iconGlow_;
};

} // namespace clarivex
