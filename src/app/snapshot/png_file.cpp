#include "app/snapshot/png_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>

namespace clarivex {

std::optional<QString> writePng(const QImage& image, const QString& path) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG") || encoded.isEmpty())
        return QStringLiteral("не удалось закодировать снимок в PNG");

    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("%1 — это папка, снимок туда не записать").arg(path);
    // QSaveFile writes to a temporary file in the same folder and renames it over `path` on
    // commit; when anything fails it removes the temporary file and leaves `path` as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("не удалось записать снимок в папку %1").arg(target.absolutePath());
    if (file.write(encoded) != encoded.size() || !file.commit())
        return QStringLiteral("не удалось записать снимок %1").arg(path);
    return std::nullopt;
}

} // namespace clarivex
