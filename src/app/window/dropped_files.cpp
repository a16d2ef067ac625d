#include "app/window/dropped_files.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace clarivex {

std::vector<std::filesystem::path> localFiles(const QList<QUrl>& urls) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (path.isEmpty())
            continue;
        files.emplace_back(QFile::encodeName(path).toStdString());
    }
    return files;
}

std::vector<std::filesystem::path> droppedFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    return localFiles(data->urls());
}

} // namespace clarivex
