#include "app/queue/file_expansion.h"

#include <QCollator>
#include <QString>

#include <algorithm>

namespace fs = std::filesystem;

namespace clarivex {

namespace {

QCollator naturalCollator() {
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

std::vector<fs::path> folderEntries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    fs::directory_iterator iterator(folder, error);
    for (; !error && iterator != fs::directory_iterator(); iterator.increment(error)) {
        const fs::path entry = iterator->path();
        if (!entry.filename().string().starts_with('.'))
            entries.push_back(entry);
    }
    // A listing that broke off part-way is as unusable as one that never started.
    if (error)
        return {};
    const QCollator collator = naturalCollator();
    std::stable_sort(entries.begin(), entries.end(), [&](const fs::path& a, const fs::path& b) {
        return collator.compare(QString::fromStdString(a.filename().string()),
                                QString::fromStdString(b.filename().string())) < 0;
    });
    return entries;
}

} // namespace

std::vector<fs::path> expandLocations(const std::vector<fs::path>& paths) {
    std::vector<fs::path> expanded;
    for (const auto& given : paths) {
        std::error_code error;
        const fs::path path = fs::absolute(given, error).lexically_normal();
        if (error || !fs::exists(path, error))
            continue;
        if (fs::is_directory(path, error)) {
            const auto entries = folderEntries(path);
            expanded.insert(expanded.end(), entries.begin(), entries.end());
        } else {
            expanded.push_back(path);
        }
    }
    return expanded;
}

bool naturallyBefore(const fs::path& left, const fs::path& right) {
    return naturalCollator().compare(QString::fromStdString(left.filename().string()),
                                     QString::fromStdString(right.filename().string())) < 0;
}

} // namespace clarivex
