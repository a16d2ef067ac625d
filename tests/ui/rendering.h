#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdlib>

namespace clarivex::testing {

// The widget and its children painted onto a transparent image, without any window
// background.
inline QImage renderTransparent(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The colour at a point, un-premultiplied (QImage::pixel() keeps premultiplied values).
inline QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

inline bool near(int a, int b, int tolerance) {
    return std::abs(a - b) <= tolerance;
}

inline bool sameColor(const QColor& a, const QColor& b, int tolerance = 2) {
    return near(a.red(), b.red(), tolerance) && near(a.green(), b.green(), tolerance) &&
           near(a.blue(), b.blue(), tolerance) && near(a.alpha(), b.alpha(), tolerance);
}

inline QImage solidImage(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

} // namespace clarivex::testing
