#include "app/shell/open_request.h"

#include <QDir>
#include <QStringDecoder>
#include <QUrl>

namespace clarivex::OpenRequest {

namespace {

const QByteArray header = QByteArrayLiteral("clarivex-open 1\n");

} // namespace

QByteArray encode(const QStringList& paths) {
    QByteArray message = header;
    for (const QString& path : paths) {
        message += path.toUtf8();
        message += '\0';
    }
    return message;
}

std::optional<QStringList> decode(const QByteArray& message) {
    if (message.size() > maximumBytes || !message.startsWith(header))
        return std::nullopt;
    const QByteArray body = message.mid(header.size());
    if (!body.isEmpty() && !body.endsWith('\0'))
        return std::nullopt;
    QStringList paths;
    qsizetype start = 0;
    while (start < body.size()) {
        const qsizetype end = body.indexOf('\0', start);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString path = utf8(body.mid(start, end - start));
        if (utf8.hasError() || !path.startsWith(u'/'))
            return std::nullopt;
        paths.append(QDir::cleanPath(path));
        start = end + 1;
    }
    return paths;
}

QStringList fromArguments(const QStringList& arguments, const QString& folder) {
    QStringList paths;
    const QDir base(folder);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty() || argument.startsWith(u'-'))
            continue;
        if (argument.startsWith(QLatin1String("file:")) ||
            argument.contains(QLatin1String("://"))) {
            const QUrl link(argument);
            if (link.isLocalFile())
                paths.append(QDir::cleanPath(link.toLocalFile()));
            continue;
        }
        paths.append(QDir::cleanPath(base.absoluteFilePath(argument)));
    }
    return paths;
}

} // namespace clarivex::OpenRequest
