#pragma once

#include "ui/animation/eased_value.h"
#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QAbstractButton>
#include <QImage>

namespace clarivex {

class PixelResolveIcon;

// The invitation of the empty queue: the animated emblem, a title, what the application does,
// a button-like "Выбрать файлы" row and the supported formats, inside a dashed rounded frame.
// The whole frame is one button (clicked() opens the file chooser); it brightens under the
// pointer and, while files are dragged over the window, turns to "Отпускайте" with an accent
// frame and glow. The widget keeps room() around the frame for that glow and 28 below it.
// Main thread only.
class DropHero : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 30.0;
    static constexpr qreal bottomPadding = 28.0;

    explicit DropHero(QWidget* parent = nullptr);

    bool isTargeted() const { return targeted_.target() >= 0.5; }
    void setTargeted(bool targeted);
    bool isHovered() const { return hover_.target() >= 0.5; }
    QString title() const;

    // The dashed frame inside the widget, at rest.
    QRectF frameRect() const;
    // How much the frame and all it holds, the emblem included, are grown about the frame's
    // centre: up to 1.015 under a drag.
    qreal scale() const;
    static GlowSpec glow();
    // Room on each side of the frame for the glow, plus the padding below.
    static QMargins room();

    PixelResolveIcon* icon() const { return icon_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Rows {
        QRectF icon;
        qreal titleTop;
        qreal textTop;
        QRectF button;
        qreal tagsTop;
    };
    Rows rows() const;
    void setHover(bool hover);
    void paintPicture(QPainter& painter);
    void paintFrame(QPainter& painter, const QRectF& frame);
    void paintTexts(QPainter& painter, const Rows& rows);
    void paintButtonRow(QPainter& painter, const QRectF& button);
    void paintTags(QPainter& painter, qreal top);
    void placeIcon();

    SpringValue targeted_;
    EasedValue hover_;
    PixelResolveIcon* icon_;
    GlowCache frameGlow_;
    GlowCache outlineGlow_;
    GlowCache buttonGlow_;
    // What paintEvent copies from, and what it shows.
    struct Picture {
        QSize size;
        qreal ratio = 0.0;
        qreal targeted = 0.0;
        qreal hover = 0.0;
        bool operator==(const Picture&) const = default;
    };
    QImage picture_;
    Picture pictureKey_;
};

} // namespace clarivex
