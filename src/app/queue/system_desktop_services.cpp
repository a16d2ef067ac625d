#include "app/queue/system_desktop_services.h"

#include "app/queue/file_chooser.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QVariantMap>

namespace clarivex {

namespace {

// Built from the name's bytes: a name that is not UTF-8 would not survive as text.
QUrl fileUrl(const std::filesystem::path& file) {
    return QUrl::fromEncoded("file://" + QByteArray(file.c_str()).toPercentEncoding("/"));
}

std::optional<QString> missingFile(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(file, error))
        return std::nullopt;
    return "Файла больше нет: " + QString::fromStdString(file.filename().string());
}

// The dialog hands names over as text, in which a name that is not UTF-8 has lost bytes: such
// a name is found again among its folder's entries by how it reads.
std::filesystem::path fileSystemName(const QString& shown) {
    const std::filesystem::path encoded = QFile::encodeName(shown).toStdString();
    std::error_code error;
    if (std::filesystem::exists(encoded, error))
        return encoded;
    const QString name = QFileInfo(shown).fileName();
    std::filesystem::directory_iterator entries(encoded.parent_path(), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error))
        if (QFile::decodeName(entries->path().filename().c_str()) == name)
            return entries->path();
    return encoded;
}

} // namespace

void SystemDesktopServices::setBadge(int count) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal("/com/canonical/unity/launcherentry/clarivex",
                                                     "com.canonical.Unity.LauncherEntry", "Update");
    const QVariantMap properties{{"count", qint64(count)}, {"count-visible", count > 0}};
    signal << QString("application://clarivex.desktop") << properties;
    bus.send(signal);
}

void SystemDesktopServices::playSuccessSound() {
    const QString player = QStandardPaths::findExecutable("canberra-gtk-play");
    if (player.isEmpty()) {
        QApplication::beep();
        return;
    }
    // Owned by the application rather than detached, so that the player is always reaped and
    // a quit in the middle of the sound ends it instead of leaving it behind.
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         QApplication::beep();
                         process->deleteLater();
                     });
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(player, {"-i", "complete"});
}

std::optional<QString>
SystemDesktopServices::revealInFileManager(const std::filesystem::path& file) {
    if (const auto missing = missingFile(file))
        return missing;
    auto bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
            "org.freedesktop.FileManager1", "ShowItems");
        call << QStringList{fileUrl(file).toString()} << QString();
        // Asynchronous, so that a file manager slow to start never freezes the window; what
        // fails after this is past telling.
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
        const QUrl folder = fileUrl(file.parent_path());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [folder](QDBusPendingCallWatcher* finished) {
                             if (finished->isError())
                                 QDesktopServices::openUrl(folder);
                             finished->deleteLater();
                         });
        return std::nullopt;
    }
    if (QDesktopServices::openUrl(fileUrl(file.parent_path())))
        return std::nullopt;
    return QStringLiteral("Не удалось показать папку: не нашлось файлового менеджера (xdg-open)");
}

std::optional<QString>
SystemDesktopServices::openWithDefaultApplication(const std::filesystem::path& file) {
    if (const auto missing = missingFile(file))
        return missing;
    if (QDesktopServices::openUrl(fileUrl(file)))
        return std::nullopt;
    return QStringLiteral("Не удалось открыть: не нашлось программы для этого файла (xdg-open)");
}

std::vector<std::filesystem::path> SystemDesktopServices::chooseFiles(QWidget* parent) {
    FileChooser dialog(parent);
    std::vector<std::filesystem::path> chosen;
    if (dialog.exec() != QDialog::Accepted)
        return chosen;
    for (const QString& file : dialog.selectedFiles())
        chosen.push_back(fileSystemName(file));
    return chosen;
}

} // namespace clarivex
