#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace clarivex {

// Turns SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C in a terminal, a closed terminal) into a
// signal on the main thread, so that the window application ends through its event loop and
// stops its running job like any other quit instead of dying with the engine still running and
// its working folder left behind. One instance at a time. Main thread.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void requested();

private:
    void drain();

    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace clarivex
