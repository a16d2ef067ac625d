#include "support/child_processes.h"

#include <cerrno>

#include <sys/wait.h>

namespace clarivex::test {

bool noChildLeft() {
    errno = 0;
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

} // namespace clarivex::test
