// Renders the application icon's SVG into the PNG sizes of the hicolor theme at build time, so
// that the pictures can never drift from the drawing.
//
//   render_icon ICON.svg OUT_FOLDER SIZE...      writes OUT_FOLDER/SIZExSIZE/apps/clarivex.png,
//                                               the layout of the hicolor theme

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_icon ICON.svg OUT_FOLDER SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0)
            return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!out.mkpath(folder) || !image.save(out.filePath(folder + "/clarivex.png"), "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write into %s\n", argv[2]);
            return 1;
        }
    }
    return 0;
}
