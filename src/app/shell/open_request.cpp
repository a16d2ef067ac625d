#include "app/shell/open_request.h"

#include <QUrl>

namespace clarivex::OpenRequest {

namespace {

const QByteArray header = QByteArrayLiteral("clarivex-open 2\n");
const QByteArray endOfList("\0\0", 2);

// The local file a file:// link names, or nothing (then the argument may be a name itself).
std::optional<std::filesystem::path> linkedFile(const std::string& argument) {
    const QUrl link = QUrl::fromEncoded(QByteArray::fromStdString(argument));
    if (!link.isValid() || !link.isLocalFile() ||
        !(link.host().isEmpty() || link.host() == QLatin1String("localhost")))
        return std::nullopt;
    // Percent escapes stand for bytes of the name, whatever its encoding.
    const std::string path =
        QByteArray::fromPercentEncoding(link.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    if (!path.starts_with('/'))
        return std::nullopt;
    return path;
}

// `path` without "." and ".." and a trailing slash, as the file system would resolve it.
std::filesystem::path tidy(const std::filesystem::path& path) {
    std::filesystem::path result = path.lexically_normal();
    if (!result.has_filename() && result.has_relative_path())
        result = result.parent_path();
    return result;
}

} // namespace

QByteArray encode(const Paths& paths) {
    QByteArray message = header;
    for (const std::filesystem::path& path : paths) {
        message += QByteArray::fromStdString(path.native());
        message += '\0';
    }
    message += '\0';
    return message;
}

bool isComplete(const QByteArray& message) {
    if (message.size() <= header.size())
        return false;
    // An empty list is the end marker alone; otherwise no path is empty, so two NULs in a
    // row can only be the end.
    return message.size() == header.size() + 1 ? message.back() == '\0'
                                               : message.endsWith(endOfList);
}

std::optional<Paths> decode(const QByteArray& message) {
    if (message.size() > maximumBytes || !message.startsWith(header) || !isComplete(message))
        return std::nullopt;
    const QByteArray body = message.mid(header.size(), message.size() - header.size() - 1);
    Paths paths;
    for (qsizetype start = 0; start < body.size();) {
        const qsizetype end = body.indexOf('\0', start);
        if (end <= start || body[start] != '/')
            return std::nullopt;
        paths.emplace_back(body.mid(start, end - start).toStdString());
        start = end + 1;
    }
    return paths;
}

QByteArray acknowledgement() {
    return QByteArrayLiteral("opened\n");
}

FileArguments fromArguments(const std::vector<std::string>& arguments,
                            const std::filesystem::path& folder) {
    FileArguments result;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (argument.empty())
            continue;
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.starts_with('-')) {
            result.options.push_back(argument);
            continue;
        }
        if (argument.starts_with("file:")) {
            if (const auto file = linkedFile(argument)) {
                result.files.push_back(tidy(*file));
                continue;
            }
        }
        const std::filesystem::path path = folder / argument;
        if (path.is_absolute())
            result.files.push_back(tidy(path));
    }
    return result;
}

} // namespace clarivex::OpenRequest
