#include "app/window/dropped_files.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>

namespace clarivex {

std::vector<std::filesystem::path> localFiles(const QList<QUrl>& urls) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        // The name's own bytes: a name that is not UTF-8 would not survive as text.
        const QByteArray path =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (path.isEmpty())
            continue;
        files.emplace_back(path.toStdString());
    }
    return files;
}

std::vector<std::filesystem::path> droppedFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    return localFiles(data->urls());
}

} // namespace clarivex
