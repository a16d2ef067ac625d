#include "app/shell/main_window.h"

#include "app/queue/store.h"
#include "ui/text/eta_text.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>

namespace clarivex {

MainWindow::MainWindow(Store& store, QWidget* content, QuitCheck::Ask ask, QWidget* parent)
    : QMainWindow(parent)
    , store_(store)
    , quitCheck_(store, std::move(ask)) {
    setWindowTitle(title(0));
    // The sizes are the content's: the menu bar comes on top, as the window's title bar does.
    content->setMinimumSize(content->minimumSize().expandedTo(QSize(1040, 680)));
    setCentralWidget(content);

    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    QAction* open = file->addAction(QStringLiteral("Открыть…"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, [this] { store_.openPanel(this); });
    // What the platform's own Quit command is elsewhere; it goes through the same check.
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("Выйти"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    resize(1180, 760 + menuBar()->sizeHint().height());

    const JobListModel& jobs = store_.queue().model();
    connect(&jobs, &JobListModel::rowsInserted, this, &MainWindow::refreshTitle);
    connect(&jobs, &JobListModel::rowsRemoved, this, &MainWindow::refreshTitle);
    connect(&jobs, &JobListModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(JobListModel::StatusRole))
                    refreshTitle();
            });
    connect(&store_.queueTime(), &QueueTime::changed, this, &MainWindow::refreshTitle);
}

void MainWindow::refreshTitle() {
    setWindowTitle(title(store_.queue().pendingCount(), store_.queueTime().seconds()));
}

QString MainWindow::title(int pendingCount, std::optional<double> remainingSeconds) {
    if (pendingCount < 1)
        return QStringLiteral("Clarivex");
    const QString count = QStringLiteral("Clarivex (%1)").arg(pendingCount);
    return remainingSeconds ? count + QStringLiteral(" · ") + approximateDuration(*remainingSeconds)
                            : count;
}

void MainWindow::bringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    if (!quitCheck_.approve(this, [this] { Q_EMIT quitting(); })) {
        event->ignore();
        return;
    }
    quitting_ = true;
    event->accept();
    // The window may already be hidden by the check; the application ends either way.
    QCoreApplication::quit();
}

} // namespace clarivex
