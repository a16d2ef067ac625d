#include "app/shell/window_application.h"

#include "app/queue/store.h"
#include "app/shell/instance_channel.h"
#include "app/shell/main_window.h"
#include "app/shell/open_request.h"
#include "app/shell/qt_translation.h"
#include "app/shell/quit_check.h"
#include "app/shell/single_instance.h"
#include "app/shell/termination_signals.h"
#include "app/shell/window_cover_watch.h"
#include "app/window/content_view.h"
#include "core/files/working_folder.h"
#include "ui/paint/theme.h"

#include <QApplication>
#include <QIcon>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace clarivex::Main {

namespace {

// The files named on the command line, as bytes, whatever their encoding. `qtArguments`
// are the arguments Qt left of those before the "--" (the program's name first), `rest` those
// after it.
OpenRequest::Paths fileArguments(int qtArguments, char** argv, char** rest, char** end) {
    std::vector<std::string> arguments(argv + 1, argv + qtArguments);
    if (rest != end) {
        arguments.emplace_back("--");
        arguments.insert(arguments.end(), rest, end);
    }
    std::error_code error;
    const OpenRequest::FileArguments request =
        OpenRequest::fromArguments(arguments, std::filesystem::current_path(error));
    for (const std::string& option : request.options)
        std::fprintf(stderr,
                     "Clarivex: неизвестный параметр «%s» пропущен; имена файлов, начинающиеся с "
                     "«-», пишите после «--»\n",
                     option.c_str());
    return request.files;
}

} // namespace

int window(int argc, char** argv) {
    // Qt takes its own options out of what comes before a "--"; what follows is files only.
    char** const end = argv + argc;
    char** const dashes = std::find_if(
        argv + 1, end, [](const char* argument) { return !std::strcmp(argument, "--"); });
    int qtArguments = int(dashes - argv);
    QApplication application(qtArguments, argv);
    QApplication::setApplicationName(QStringLiteral("Clarivex"));
    QApplication::setDesktopFileName(QStringLiteral("clarivex"));

    const OpenRequest::Paths files =
        fileArguments(qtArguments, argv, dashes == end ? end : dashes + 1, end);
    SingleInstance instance;
    const SingleInstance::Role role = instance.start(files);
    if (role == SingleInstance::Role::handedOver)
        return 0;

    Theme::install(application);
    installQtTranslation(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/clarivex.svg")));

    // A window that quit while an engine deaf to termination was still being asked for its
    // devices left that probe's working folder behind; it goes now, not at the first job.
    WorkingFolder::removeAbandoned();
    // After the application, which it needs, and gone before it.
    Store store(Store::Environment::system());
    MainWindow mainWindow(store, new ContentView(store));
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::filesRequested, &mainWindow,
                     [&store, &mainWindow](const std::vector<std::filesystem::path>& paths) {
                         store.add(paths, true);
                         mainWindow.bringToFront();
                     });
    // The session is ending: no question, but the same orderly stop as after "Выйти". Caught
    // before the socket is there, since a later start may hand files over, or the session end,
    // the moment it is; the stop itself waits for the event loop.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &mainWindow,
                     [&mainWindow, &instance, &channel] {
                         instance.quitting(channel);
                         mainWindow.hide();
                         QCoreApplication::quit();
                     });
    instance.listen(channel);
    // From the moment the quit is decided no file is taken that the quit would then cancel.
    QObject::connect(&mainWindow, &MainWindow::quitting, &channel,
                     [&instance, &channel] { instance.quitting(channel); });
    // Nothing to animate behind other windows.
    WindowCoverWatch coverWatch(mainWindow);
    mainWindow.show();
    if (!files.empty())
        store.add(files, true);
    const int status = application.exec();
    instance.quitting(channel);
    // Every way out of the event loop ends here; after "Выйти" nothing is left to wait for.
    store.cancelAllAndWait(QuitCheck::stopLimit);
    return status;
}

} // namespace clarivex::Main
