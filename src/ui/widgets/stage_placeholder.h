#pragma once

#include "ui/animation/frame_clock.h"

#include <QWidget>

namespace clarivex {

// What the stage shows while a job has no picture to show: a faint rounded rectangle with a
// small turning spinner in its centre. It turns only while shown and reduce motion is off.
// Main thread only.
class StagePlaceholder : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 20.0;

    explicit StagePlaceholder(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QRectF spinnerRect() const;

    FrameTicker ticker_;
};

} // namespace clarivex
