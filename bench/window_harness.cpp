// Shows the main view in a 1180 × 760 window, for looking at it and taking screenshots while
// the application shell is elsewhere. Not installed.
//
//   window_harness [--stand-in] [--drag] [--loop] [--select N] [--cancel-after MS]
//                  [--add-after MS] [--clear-after MS] [--toggle-loop-at MS]... [--choose-after MS]
//                  [FILE...]
//   window_harness --bar-only
//
// --stand-in installs the stand-in engine for this run (its FAKE_ESRGAN_* variables pass
// through); --drag shows the drag state; --loop turns the seamless loop on; --select puts the N-th
// job (from 0) on the stage 1.5 s after the start; --cancel-after cancels everything after MS
// milliseconds. For recordings of transitions: --add-after adds the files at MS instead of at the
// start, --clear-after presses "Очистить готовые", --toggle-loop-at flips the loop switch (once
// per time given), --choose-after opens the file chooser. Each of these, --select, and every job
// that finishes print "event NAME SECONDS" on standard output, SECONDS on the wall clock, for
// bench/record_transition.sh to find the frames after it. --bar-only shows nothing but a
// half-full progress bar on the dark window: what one animation redrawn every display frame
// costs at the least, next to which the running view's idle cost is read. Settings are kept in
// a temporary file, never the user's, and nothing is copied into Pictures.
#include "app/queue/store.h"
#include "app/shell/quit_check.h"
#include "app/shell/termination_signals.h"
#include "app/shell/window_cover_watch.h"
#include "app/window/content_view.h"
#include "app/window/queue_strip.h"
#include "support/test_engine.h"
#include "ui/paint/theme.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/text_button.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

using namespace clarivex;

namespace {

constexpr QSize windowSize(1180, 760);

// The job panel's bar where the running view has it, and nothing else.
int showBarOnly(QApplication& application) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Clarivex"));
    window.resize(windowSize);
    GlowBar bar(6.0, &window);
    bar.setGeometry(282, 565, 467, 6);
    bar.setValueImmediately(0.5);
    window.show();
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &application,
                     &QCoreApplication::quit);
    return application.exec();
}

// A moment on the wall clock, which the screen recorder stamps its frames with too.
void event(const char* name) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf("event %s %.3f\n", name, std::chrono::duration<double>(now).count());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Theme::install(application);

    bool standIn = false;
    bool drag = false;
    bool loop = false;
    std::optional<int> select;
    std::optional<int> cancelAfter;
    std::optional<int> addAfter;
    std::optional<int> clearAfter;
    std::optional<int> chooseAfter;
    std::vector<int> toggleLoopAt;
    std::vector<std::filesystem::path> files;
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.contains(QLatin1String("--bar-only")))
        return showBarOnly(application);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument == QLatin1String("--stand-in"))
            standIn = true;
        else if (argument == QLatin1String("--drag"))
            drag = true;
        else if (argument == QLatin1String("--loop"))
            loop = true;
        else if (argument == QLatin1String("--select") && index + 1 < arguments.size())
            select = arguments[++index].toInt();
        else if (argument == QLatin1String("--cancel-after") && index + 1 < arguments.size())
            cancelAfter = arguments[++index].toInt();
        else if (argument == QLatin1String("--add-after") && index + 1 < arguments.size())
            addAfter = arguments[++index].toInt();
        else if (argument == QLatin1String("--clear-after") && index + 1 < arguments.size())
            clearAfter = arguments[++index].toInt();
        else if (argument == QLatin1String("--choose-after") && index + 1 < arguments.size())
            chooseAfter = arguments[++index].toInt();
        else if (argument == QLatin1String("--toggle-loop-at") && index + 1 < arguments.size())
            toggleLoopAt.push_back(arguments[++index].toInt());
        else
            files.emplace_back(argument.toStdString());
    }

    std::unique_ptr<test::TestEngine> engine;
    if (standIn) {
        engine = std::make_unique<test::TestEngine>();
        qputenv("REALESRGAN_DIR", QByteArray::fromStdString(engine->folder().string()));
    }
    QTemporaryDir settingsFolder;
    Store::Environment environment = Store::Environment::system();
    const QString settingsFile = settingsFolder.filePath(QStringLiteral("settings.ini"));
    environment.settings = [settingsFile] {
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    };
    Store store(std::move(environment));
    // Results stay next to the sources, out of the user's Pictures.
    store.settings().setCopyToPictures(false);
    store.settings().setSeamlessLoop(loop);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Clarivex"));
    auto* view = new ContentView(store, &window);
    window.setMinimumSize(view->minimumSizeHint());
    window.resize(windowSize);
    WindowCoverWatch coverWatch(window);
    window.show();
    view->resize(window.size());
    // The view follows the window's size.
    struct Follow : QObject {
        ContentView* view;
        explicit Follow(ContentView* view)
            : view(view) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Resize)
                view->resize(static_cast<QWidget*>(watched)->size());
            return false;
        }
    } follow(view);
    window.installEventFilter(&follow);

    if (addAfter) {
        QTimer::singleShot(*addAfter, &store, [&store, files] {
            event("add");
            store.add(files, true);
        });
    } else {
        store.add(files, true);
    }
    QObject::connect(&store.queue(), &JobQueue::celebrationChanged, &store, [] { event("done"); });
    if (clearAfter) {
        QTimer::singleShot(*clearAfter, view, [view] {
            event("clear");
            view->queueStrip()->clearButton()->click();
        });
    }
    for (const int at : toggleLoopAt) {
        QTimer::singleShot(at, &store, [&settings = store.settings()] {
            event("loop");
            settings.setSeamlessLoop(!settings.seamlessLoop());
        });
    }
    if (chooseAfter) {
        QTimer::singleShot(*chooseAfter, &store, [&store, &window] {
            event("choose");
            store.openPanel(&window);
        });
    }
    if (select) {
        // After the worker has put its first job in front.
        QTimer::singleShot(1500, &store, [&queue = store.queue(), index = *select] {
            event("select");
            const QList<Job*>& jobs = queue.jobs();
            if (index >= 0 && index < jobs.size())
                queue.setSelectedID(jobs[index]->id());
        });
    }
    if (drag)
        view->setTargeted(true);
    if (cancelAfter)
        QTimer::singleShot(*cancelAfter, &store.queue(), &JobQueue::cancelAll);
    // Benchmarks and screenshot tools end it with a signal mid-job; it stops its job as the
    // application does, so no working folder or engine outlives it.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &application,
                     &QCoreApplication::quit);
    const int status = application.exec();
    store.cancelAllAndWait(QuitCheck::stopLimit);
    return status;
}
