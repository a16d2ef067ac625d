#pragma once

#include "ui/animation/eased_value.h"

#include <QWidget>

namespace clarivex {

// What the stage shows while files are dragged over a window that already has jobs: a dashed
// accent frame 16 inside the stage with "Добавить в очередь" in its centre. It fades in and out
// (ease-out, 0.2 s) and never takes input. Main thread only.
class DropOverlay : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal inset = 16.0;
    static constexpr qreal cornerRadius = 28.0;

    explicit DropOverlay(QWidget* parent = nullptr);

    bool isShowing() const { return shown_.target() >= 0.5; }
    void setShowing(bool showing);
    qreal opacity() const { return shown_.value(); }

    QRectF frameRect() const;
    static QString label() { return QStringLiteral("Добавить в очередь"); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void shownChanged();

    EasedValue shown_;
};

} // namespace clarivex
