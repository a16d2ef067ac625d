#include "app/shell/termination_signals.h"

#include <array>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace clarivex {

namespace {

constexpr std::array handled{SIGTERM, SIGINT, SIGHUP};

// The write end for the handler; a handler may do no more than write(2).
volatile std::sig_atomic_t writeEnd = -1;

extern "C" void onTermination(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    writeEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : handled)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    for (const int signal : handled)
        std::signal(signal, SIG_DFL);
    writeEnd = -1;
    for (const int end : pipe_)
        if (end >= 0)
            ::close(end);
}

void TerminationSignals::drain() {
    char bytes[16];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    Q_EMIT requested();
}

} // namespace clarivex
