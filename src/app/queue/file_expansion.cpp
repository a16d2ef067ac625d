#include "app/queue/file_expansion.h"

#include "core/vocabulary/media_kind.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace fs = std::filesystem;

namespace clarivex {

namespace {

// Splits at the borders between digits and other characters: "IMG_12b" → "IMG_", "12", "b".
QStringList chunks(const QString& name) {
    QStringList result;
    for (const QChar character : name) {
        if (result.isEmpty() || result.back().back().isDigit() != character.isDigit())
            result.push_back(QString());
        result.back().push_back(character);
    }
    return result;
}

QStringView withoutLeadingZeros(QStringView digits) {
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

// Negative, zero or positive. Runs of digits compare by value, other runs without regard to
// case; names equal that way fall back to plain comparison, so the order never depends on
// the order of the listing.
int naturalCompare(const QString& left, const QString& right) {
    const QStringList a = chunks(left);
    const QStringList b = chunks(right);
    for (qsizetype index = 0; index < std::min(a.size(), b.size()); ++index) {
        int order = 0;
        if (a[index].front().isDigit() && b[index].front().isDigit()) {
            const QStringView x = withoutLeadingZeros(a[index]);
            const QStringView y = withoutLeadingZeros(b[index]);
            // Equal lengths of digits compare as text; a longer number is the larger one.
            order = x.size() != y.size() ? (x.size() < y.size() ? -1 : 1) : x.compare(y);
        } else {
            order = a[index].compare(b[index], Qt::CaseInsensitive);
        }
        if (order != 0)
            return order;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return left.compare(right);
}

std::vector<fs::path> folderEntries(const fs::path& folder, const std::stop_token& stopToken) {
    std::vector<fs::path> entries;
    std::error_code error;
    fs::directory_iterator iterator(folder, error);
    for (; !error && iterator != fs::directory_iterator(); iterator.increment(error)) {
        if (stopToken.stop_requested())
            return {};
        const fs::path entry = iterator->path();
        if (!entry.filename().string().starts_with('.'))
            entries.push_back(entry);
    }
    // A listing that broke off part-way is as unusable as one that never started.
    if (error)
        return {};
    std::sort(entries.begin(), entries.end(), naturallyBefore);
    return entries;
}

} // namespace

std::vector<fs::path> expandLocations(const std::vector<fs::path>& paths,
                                      std::stop_token stopToken) {
    std::vector<fs::path> expanded;
    for (const auto& given : paths) {
        std::error_code error;
        const fs::path path = fs::absolute(given, error).lexically_normal();
        if (error || !fs::exists(path, error))
            continue;
        if (fs::is_directory(path, error)) {
            const auto entries = folderEntries(path, stopToken);
            expanded.insert(expanded.end(), entries.begin(), entries.end());
        } else {
            expanded.push_back(path);
        }
    }
    return expanded;
}

std::vector<fs::path> queueableFiles(const std::vector<fs::path>& paths,
                                     std::stop_token stopToken) {
    std::vector<fs::path> files;
    for (auto& path : expandLocations(paths, stopToken)) {
        if (stopToken.stop_requested())
            return {};
        std::error_code error;
        if (mediaKindOf(path) && !fs::is_directory(path, error))
            files.push_back(std::move(path));
    }
    return files;
}

bool naturallyBefore(const fs::path& left, const fs::path& right) {
    return naturalCompare(QString::fromStdString(left.filename().string()),
                          QString::fromStdString(right.filename().string())) < 0;
}

} // namespace clarivex
