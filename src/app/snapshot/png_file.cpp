#include "app/snapshot/png_file.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <filesystem>

namespace clarivex {

std::optional<QString> writePng(const QImage& image, const QString& path) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG") || encoded.isEmpty())
        return QStringLiteral("не удалось закодировать снимок в PNG");

    if (auto problem = unusableSnapshotTarget(path))
        return problem;
    const QFileInfo target(path);
    // QSaveFile writes to a temporary file in the same folder and renames it over `path` on
    // commit; when anything fails it removes the temporary file and leaves `path` as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("не удалось записать снимок в папку %1").arg(target.absolutePath());
    if (file.write(encoded) != encoded.size() || !file.commit())
        return QStringLiteral("не удалось записать снимок %1").arg(path);
    return std::nullopt;
}

std::optional<QString> unusableSnapshotTarget(const QString& path) {
    std::error_code ignored;
    const QFileInfo target(path);
    switch (std::filesystem::status(path.toStdString(), ignored).type()) {
    case std::filesystem::file_type::regular:
        return std::nullopt;
    case std::filesystem::file_type::not_found:
        if (!target.dir().exists())
            return QStringLiteral("не удалось записать снимок в папку %1")
                .arg(target.absolutePath());
        return std::nullopt;
    case std::filesystem::file_type::directory:
        return QStringLiteral("%1 — это папка, снимок туда не записать").arg(path);
    case std::filesystem::file_type::none:
        // A name that cannot be looked at fails when it is written, with its own sentence.
        return std::nullopt;
    default:
        return QStringLiteral("%1 — не обычный файл, снимок туда не записать").arg(path);
    }
}

} // namespace clarivex
