#include "app/shell/quit_check.h"

#include "app/queue/store.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace clarivex {

namespace {

bool runsVideo(const Store& store) {
    const QList<Job*>& jobs = store.queue().jobs();
    return std::any_of(jobs.begin(), jobs.end(), [](const Job* job) {
        return job->kind() == MediaKind::video && job->status().is(JobStatus::Case::running);
    });
}

} // namespace

QuitCheck::QuitCheck(Store& store, Ask ask)
    : store_(store)
    , ask_(std::move(ask)) {}

QString QuitCheck::informativeText(const Store& store) {
    const QString text = QStringLiteral("Если выйти сейчас, незавершённые файлы будут отменены.");
    if (!runsVideo(store))
        return text;
    return text + QStringLiteral(" Готовые части видео сохранятся: добавьте тот же файл снова, "
                                 "и обработка продолжится с места остановки.");
}

bool QuitCheck::approve(QWidget* window, const std::function<void()>& quitting) {
    if (store_.pendingCount() >= 1 && ask_(window, informativeText(store_)) == Answer::stay)
        return false;
    if (quitting)
        quitting();
    if (store_.pendingCount() < 1)
        return true;
    if (window) {
        window->hide();
        // Let the window really leave the screen before the main thread blocks in the wait.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    store_.cancelAllAndWait(stopLimit);
    return true;
}

QuitCheck::Answer QuitCheck::askWithDialog(QWidget* window, const QString& informativeText) {
    QMessageBox box(window);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Clarivex"));
    box.setText(QStringLiteral("Идёт обработка"));
    box.setInformativeText(informativeText);
    QPushButton* quit = box.addButton(QStringLiteral("Выйти"), QMessageBox::AcceptRole);
    QPushButton* stay = box.addButton(QStringLiteral("Остаться"), QMessageBox::RejectRole);
    box.setDefaultButton(quit);
    box.setEscapeButton(stay);
    box.exec();
    return box.clickedButton() == quit ? Answer::quit : Answer::stay;
}

} // namespace clarivex
