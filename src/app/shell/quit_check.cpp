#include "app/shell/quit_check.h"

#include "app/queue/store.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace clarivex {

QuitCheck::QuitCheck(Store& store, Ask ask)
    : store_(store)
    , ask_(std::move(ask)) {}

bool QuitCheck::approve(QWidget* window, const std::function<void()>& quitting) {
    if (store_.pendingCount() >= 1 && ask_(window) == Answer::stay)
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

QuitCheck::Answer QuitCheck::askWithDialog(QWidget* window) {
    QMessageBox box(window);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Clarivex"));
    box.setText(QStringLiteral("Идёт обработка"));
    box.setInformativeText(
        QStringLiteral("Если выйти сейчас, незавершённые файлы будут отменены."));
    QPushButton* quit = box.addButton(QStringLiteral("Выйти"), QMessageBox::AcceptRole);
    QPushButton* stay = box.addButton(QStringLiteral("Остаться"), QMessageBox::RejectRole);
    box.setDefaultButton(quit);
    box.setEscapeButton(stay);
    box.exec();
    return box.clickedButton() == quit ? Answer::quit : Answer::stay;
}

} // namespace clarivex
