#include "app/cli/stop_signals.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace clarivex::Main {

namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// The number of a signal waiting on the descriptor, or 0 when none is.
int takeSignal(int descriptor) {
    signalfd_siginfo information{};
    while (true) {
        const ssize_t count = ::read(descriptor, &information, sizeof information);
        if (count == static_cast<ssize_t>(sizeof information))
            return static_cast<int>(information.ssi_signo);
        if (count < 0 && errno == EINTR)
            continue;
        return 0;
    }
}

} // namespace

StopSignals::StopSignals() {
    const sigset_t set = stopSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
    signalDescriptor_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    endDescriptor_ = ::eventfd(0, EFD_CLOEXEC);
    if (signalDescriptor_ < 0 || endDescriptor_ < 0) {
        const int error = errno;
        release();
        throw std::system_error(error, std::generic_category(),
                                "Не удалось подготовить обработку сигналов");
    }
}

StopSignals::~StopSignals() {
    release();
}

void StopSignals::release() {
    if (signalDescriptor_ >= 0)
        ::close(signalDescriptor_);
    if (endDescriptor_ >= 0)
        ::close(endDescriptor_);
    signalDescriptor_ = endDescriptor_ = -1;
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void StopSignals::jobEnded() {
    const std::uint64_t one = 1;
    while (::write(endDescriptor_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

int StopSignals::waitForJob(const std::function<void(int signal)>& requestStop) {
    int first = 0;
    while (true) {
        pollfd descriptors[] = {{signalDescriptor_, POLLIN, 0}, {endDescriptor_, POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0 && errno != EINTR)
            break;
        if ((descriptors[0].revents & POLLIN) != 0) {
            if (const int signal = takeSignal(signalDescriptor_); signal != 0 && first == 0) {
                first = signal;
                requestStop(signal);
            }
        }
        if ((descriptors[1].revents & POLLIN) != 0)
            break;
    }
    if (first == 0)
        first = takeSignal(signalDescriptor_);
    return first;
}

} // namespace clarivex::Main
