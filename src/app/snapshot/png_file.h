#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace clarivex {

// Writes `image` as PNG to `path`, replacing any file there, or nothing at all: the picture is
// encoded in memory, written beside `path` under a temporary name and renamed over it only when
// complete. Returns the Russian sentence for the failure, or nothing on success.
std::optional<QString> writePng(const QImage& image, const QString& path);

} // namespace clarivex
