#include "app/shell/window_application.h"

#include "app/queue/store.h"
#include "app/shell/instance_channel.h"
#include "app/shell/main_window.h"
#include "app/shell/open_request.h"
#include "app/shell/quit_check.h"
#include "app/shell/termination_signals.h"
#include "app/window/content_view.h"
#include "ui/paint/theme.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <filesystem>
#include <vector>

namespace clarivex::Main {

namespace {

std::vector<std::filesystem::path> toPaths(const QStringList& paths) {
    std::vector<std::filesystem::path> result;
    for (const QString& path : paths)
        result.emplace_back(path.toStdString());
    return result;
}

} // namespace

int window(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Clarivex"));
    QApplication::setDesktopFileName(QStringLiteral("clarivex"));

    const QStringList files =
        OpenRequest::fromArguments(QApplication::arguments(), QDir::currentPath());
    InstanceChannel channel;
    if (channel.handOver(files))
        return 0;
    // Two starts at the same moment: the one that lost the socket hands over to the winner.
    if (!channel.listen() && channel.handOver(files))
        return 0;

    Theme::install(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/clarivex.svg")));

    // After the application, which it needs, and gone before it.
    Store store(Store::Environment::system());
    MainWindow mainWindow(store, new ContentView(store));
    QObject::connect(&channel, &InstanceChannel::filesRequested, &mainWindow,
                     [&store, &mainWindow](const QStringList& paths) {
                         store.add(toPaths(paths), true);
                         mainWindow.bringToFront();
                     });
    // The session is ending: no question, but the same orderly stop as after "Выйти".
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &mainWindow, [&mainWindow] {
        mainWindow.hide();
        QCoreApplication::quit();
    });
    mainWindow.show();
    if (!files.isEmpty())
        store.add(toPaths(files), true);
    const int status = application.exec();
    // Every way out of the event loop ends here; after "Выйти" nothing is left to wait for.
    store.cancelAllAndWait(QuitCheck::stopLimit);
    return status;
}

} // namespace clarivex::Main
