#include "ui/gallery/sample_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace clarivex::gallery {

QImage samplePicture(const QSize& size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(0x1B2A4A));
    sky.setColorAt(0.55, QColor(0xE07A4F));
    sky.setColorAt(1.0, QColor(0xF6C177));
    painter.fillRect(image.rect(), sky);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFFE8B0));
    painter.drawEllipse(QPointF(0.68 * w, 0.42 * h), 0.08 * h, 0.08 * h);

    const auto ridge = [&](qreal base, qreal amplitude, qreal frequency, QColor color) {
        QPainterPath path;
        path.moveTo(0, h);
        for (int x = 0; x <= int(w); x += 4) {
            const qreal y = base + amplitude * std::sin(x * frequency) +
                            amplitude * 0.35 * std::sin(x * frequency * 3.7 + 1.3);
            path.lineTo(x, y);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        painter.fillPath(path, color);
    };
    ridge(0.58 * h, 0.07 * h, 6.0 / w, QColor(0x6B3A5B));
    ridge(0.70 * h, 0.06 * h, 9.0 / w, QColor(0x3C2443));
    ridge(0.82 * h, 0.04 * h, 14.0 / w, QColor(0x1D1424));

    // Fine detail that only the sharp picture keeps: a fence and window lights.
    painter.setBrush(QColor(0xF6C177));
    for (qreal x = 0.05 * w; x < 0.45 * w; x += 0.012 * w)
        painter.drawRect(QRectF(x, 0.86 * h, 0.004 * w, 0.06 * h));
    painter.setBrush(QColor(0xFFD27A));
    for (int i = 0; i < 14; ++i) {
        const qreal x = 0.55 * w + (i % 7) * 0.03 * w;
        const qreal y = 0.88 * h + (i / 7) * 0.035 * h;
        painter.drawRect(QRectF(x, y, 0.012 * w, 0.018 * h));
    }
    return image;
}

QImage sampleSource(const QImage& picture, int width) {
    return picture.scaledToWidth(width, Qt::SmoothTransformation);
}

} // namespace clarivex::gallery
