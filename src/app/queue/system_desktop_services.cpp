#include "app/queue/system_desktop_services.h"

#include "app/queue/file_chooser.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QVariantMap>

namespace clarivex {

namespace {

QUrl fileUrl(const std::filesystem::path& file) {
    return QUrl::fromLocalFile(QString::fromStdString(file.string()));
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

void SystemDesktopServices::revealInFileManager(const std::filesystem::path& file) {
    auto bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
            "org.freedesktop.FileManager1", "ShowItems");
        call << QStringList{fileUrl(file).toString()} << QString();
        // Asynchronous, so that a file manager slow to start never freezes the window.
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
        const QUrl folder = fileUrl(file.parent_path());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [folder](QDBusPendingCallWatcher* finished) {
                             if (finished->isError())
                                 QDesktopServices::openUrl(folder);
                             finished->deleteLater();
                         });
        return;
    }
    QDesktopServices::openUrl(fileUrl(file.parent_path()));
}

void SystemDesktopServices::openWithDefaultApplication(const std::filesystem::path& file) {
    QDesktopServices::openUrl(fileUrl(file));
}

std::vector<std::filesystem::path> SystemDesktopServices::chooseFiles(QWidget* parent) {
    FileChooser dialog(parent);
    std::vector<std::filesystem::path> chosen;
    if (dialog.exec() != QDialog::Accepted)
        return chosen;
    for (const QString& file : dialog.selectedFiles())
        chosen.emplace_back(file.toStdString());
    return chosen;
}

} // namespace clarivex
