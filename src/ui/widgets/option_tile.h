#pragma once

#include "ui/paint/glow.h"
#include "ui/widgets/selectable_tile.h"

#include <optional>
#include <string>

namespace clarivex {

// A wide choice row for the model: an icon block, a title and a one-line hint. Selection is
// the caller's; the tile only shows it, easing between the looks on the standard spring. A
// click emits clicked(). The widget is the tile; a selected icon's glow overhangs it by
// overhang() (see GlowOverhang). Main thread only.
class OptionTile : public SelectableTile {
    Q_OBJECT
public:
    static constexpr qreal padding = 8.0;
    static constexpr qreal spacing = 10.0;
    static constexpr qreal iconSide = 32.0;
    static constexpr qreal iconRadius = 9.0;
    static constexpr qreal cornerRadius = 13.0;

    OptionTile(std::string symbol, QString title, QString subtitle, bool selected = false,
               QWidget* parent = nullptr);

    QString title() const { return title_; }
    QString subtitle() const { return unavailable_.value_or(subtitle_); }

    // A choice that cannot be made now: dimmed, not clickable, with `why` in the subtitle's
    // place; nothing makes it available again.
    void setUnavailable(const std::optional<QString>& why);
    bool isAvailable() const { return !unavailable_; }

    QRectF iconRect() const;
    QRectF textRect() const;
    // The subtitle as drawn: one line, cut with an ellipsis when too long.
    QString visibleSubtitle() const;

    static QMargins overhang();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    qreal titleHeight(qreal width) const;
    void paintIconGlow(QPainter& painter);

    std::string symbol_;
    QString title_;
    QString subtitle_;
    std::optional<QString> unavailable_;
    GlowCache iconGlow_;
};

} // namespace clarivex
