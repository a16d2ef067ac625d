#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace clarivex::OpenRequest {

// What a second instance sends to the running one: the files it was asked to open. Only a
// list of absolute local paths is ever accepted; anything else that arrives on the channel is
// someone else's data and is dropped whole.

// Above this a message is not a list of files a desktop would hand over.
constexpr qsizetype maximumBytes = 4 * 1024 * 1024;

QByteArray encode(const QStringList& paths);

// The paths of a well-formed message (possibly none), or nothing when any part of it is not:
// the header, UTF-8, a NUL after every path, every path absolute.
std::optional<QStringList> decode(const QByteArray& message);

// The file arguments of a window start made absolute against `folder`: every argument after
// the program's name that is not an option, and file:// links as a desktop may pass them
// (links to anything but a local file are left out).
QStringList fromArguments(const QStringList& arguments, const QString& folder);

} // namespace clarivex::OpenRequest
