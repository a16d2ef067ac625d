#include "app/queue/file_chooser.h"

#include "core/vocabulary/media_kind.h"

#include <QFileInfo>

#include <algorithm>

namespace clarivex {

namespace {

// "*.jpg *.JPG …": the dialog's filters are case-sensitive on Linux.
QString patterns(const std::set<std::string, std::less<>>& extensions) {
    QStringList result;
    for (const auto& extension : extensions) {
        const QString lower = QString::fromStdString(extension);
        result << "*." + lower << "*." + lower.toUpper();
    }
    return result.join(' ');
}

} // namespace

FileChooser::FileChooser(QWidget* parent)
    : QFileDialog(parent) {
    setFileMode(QFileDialog::ExistingFiles);
    setNameFilters(
        {"Фото и видео (" + patterns(imageExtensions()) + " " + patterns(videoExtensions()) + ")",
         "Фото (" + patterns(imageExtensions()) + ")",
         "Видео (" + patterns(videoExtensions()) + ")"});
    // Qt's own dialog can be taught to take folders beside files; the platform one cannot.
    setOption(QFileDialog::DontUseNativeDialog);
    setLabelText(QFileDialog::Accept, QStringLiteral("Улучшить"));
}

void FileChooser::accept() {
    const QStringList chosen = selectedFiles();
    // With nothing selected the dialog names the folder it shows; that is not a choice.
    const bool onlyShownFolder =
        chosen.size() == 1 && QFileInfo(chosen.front()) == QFileInfo(directory().absolutePath());
    const bool anyFolder = std::any_of(chosen.begin(), chosen.end(),
                                       [](const QString& path) { return QFileInfo(path).isDir(); });
    if (anyFolder && !onlyShownFolder) {
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
}

} // namespace clarivex
