#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace clarivex {

// Writes `image` as PNG to `path`, a new name or a regular file it replaces, or nothing at all:
// the picture is encoded in memory, written beside `path` under a temporary name and renamed
// over it only when complete. Returns the Russian sentence for the failure, or nothing on
// success.
std::optional<QString> writePng(const QImage& image, const QString& path);

// Why `path` cannot take a snapshot, said before any work is done: its folder is missing, or
// it is a folder, a device, a pipe or anything else but a regular file, which a renamed file
// would replace (as root, even /dev/null).
std::optional<QString> unusableSnapshotTarget(const QString& path);

} // namespace clarivex
