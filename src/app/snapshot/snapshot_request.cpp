#include "app/snapshot/snapshot_request.h"

#include <QDir>

namespace clarivex {

SnapshotRequest SnapshotRequest::parse(const QStringList& arguments, const QString& folder) {
    SnapshotRequest request;
    QStringList files = arguments;
    const qsizetype option = files.indexOf(QStringLiteral("--state"));
    if (option >= 0 && option + 1 < files.size()) {
        const QString name = files[option + 1];
        if (name == QLatin1String("empty"))
            request.state = State::empty;
        else if (name == QLatin1String("done"))
            request.state = State::done;
        files.remove(option, 2);
    }
    const QDir base(folder);
    for (const QString& file : files)
        request.files.append(QDir::cleanPath(base.absoluteFilePath(file)));
    return request;
}

} // namespace clarivex
