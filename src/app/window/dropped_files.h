#pragma once

#include <QList>

#include <filesystem>
#include <vector>

class QMimeData;
class QUrl;

namespace clarivex {

// The local files and folders a drag carries, in the drag's order. Text, web links and any
// other URL scheme give nothing: the window only takes files that are already on this machine.
std::vector<std::filesystem::path> droppedFiles(const QMimeData* data);
std::vector<std::filesystem::path> localFiles(const QList<QUrl>& urls);

} // namespace clarivex
