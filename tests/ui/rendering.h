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

inline bool sameColor(const QColor& a, const QColor& b, int tolerance = 2) {
    const auto near = [tolerance](int x, int y) { return std::abs(x - y) <= tolerance; };
    return near(a.red(), b.red()) && near(a.green(), b.green()) && near(a.blue(), b.blue()) &&
           near(a.alpha(), b.alpha());
}

inline QImage solidImage(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

} // namespace clarivex::testing
