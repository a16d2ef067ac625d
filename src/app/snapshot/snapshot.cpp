#include "app/snapshot/snapshot.h"

#include "app/queue/store.h"
#include "app/snapshot/demonstration_queue.h"
#include "app/snapshot/png_file.h"
#include "app/window/content_view.h"
#include "ui/paint/theme.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <memory>

namespace clarivex::Main {

namespace {

constexpr int settleMilliseconds = 2500;

int fail(const QString& reason) {
    std::printf("Ошибка: %s\n", reason.toUtf8().constData());
    std::fflush(stdout);
    return 1;
}

} // namespace

int snapshot(int argc, char** argv, const std::string& out, const Arguments& arguments) {
    if (const auto problem = unusableSnapshotTarget(QString::fromStdString(out)))
        return fail(*problem);
    // Chosen before the application exists: a snapshot must work with no display at all, and
    // a window must never appear on one that is there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Theme::install(application);

    QStringList files;
    for (const std::string& argument : arguments)
        files.append(QString::fromStdString(argument));
    const SnapshotRequest request = SnapshotRequest::parse(files, QDir::currentPath());

    Store store(Store::Environment::system());
    DemonstrationQueue::fill(store.queue(), request);

    auto view = std::make_unique<ContentView>(store);
    view->setFixedSize(1180, 760);
    view->show();
    // The pictures first, however long a large one takes: they are what the snapshot shows.
    // Only regular files are read, so every load ends.
    QEventLoop loading;
    QObject::connect(&store.pictures(), &PictureLoader::idle, &loading, &QEventLoop::quit);
    if (!store.pictures().isIdle())
        loading.exec();
    // Layout and the entrance animations run meanwhile.
    QEventLoop settle;
    QTimer::singleShot(settleMilliseconds, &settle, &QEventLoop::quit);
    settle.exec();

    const QImage picture = view->grab().toImage();
    // A late preview load may still run ffmpeg in a working folder; ending the process under
    // it would leave that folder behind.
    store.cancelAllAndWait(std::chrono::seconds(5));
    if (picture.isNull())
        return fail(QStringLiteral("не удалось отрисовать окно"));
    if (const auto error = writePng(picture, QString::fromStdString(out)))
        return fail(*error);
    std::printf("Снимок: %s\n", out.c_str());
    std::fflush(stdout);
    return 0;
}

} // namespace clarivex::Main
