#pragma once

#include "app/shell/quit_check.h"

#include <QMainWindow>

#include <optional>

namespace clarivex {

class Store;

// The one window of the application: "Clarivex", its content 1180×760 at first and never
// under 1040×680, the File menu with "Открыть…" (Ctrl+O) and "Выйти" (Ctrl+Q), the count of
// pending files in the title, and the quit check when it is closed. `content` fills it (the
// main view). Main thread.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Store& store, QWidget* content, QuitCheck::Ask ask = QuitCheck::askWithDialog,
               QWidget* parent = nullptr);

    // Shows the window, restored, raised and active: for files handed over by the desktop.
    void bringToFront();

    // "Clarivex (3) · ~12 мин": the pending files and, when known, the time they still need.
    static QString title(int pendingCount, std::optional<double> remainingSeconds = std::nullopt);

Q_SIGNALS:
    // The window is closing for good: emitted before the running job is stopped and waited for.
    void quitting();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refreshTitle();

    Store& store_;
    QuitCheck quitCheck_;
    bool quitting_ = false;
};

} // namespace clarivex
