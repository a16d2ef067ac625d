#include "core/process/child_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <system_error>

extern char** environ;

namespace clarivex {

namespace {

void connect(posix_spawn_file_actions_t& actions, int descriptor, int target, int nullMode) {
    if (descriptor < 0)
        posix_spawn_file_actions_addopen(&actions, target, "/dev/null", nullMode, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, descriptor, target);
}

} // namespace

pid_t spawnChild(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                 int input, int output, int error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    connect(actions, input, STDIN_FILENO, O_RDONLY);
    connect(actions, output, STDOUT_FILENO, O_WRONLY);
    connect(actions, error, STDERR_FILENO, O_WRONLY);

    // Ignored signals survive exec: the broken-pipe signal that this process ignores must not
    // be ignored by the child, and a termination request must always reach it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t unblocked;
    sigemptyset(&unblocked);
    posix_spawnattr_setsigmask(&attributes, &unblocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> words;
    words.reserve(arguments.size() + 1);
    words.push_back(executable.string());
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // glibc starts the child with vfork semantics and reports a failed exec (missing file, not
    // executable) here, as the return value, instead of as exit status 127.
    pid_t pid = -1;
    const int result =
        ::posix_spawn(&pid, words.front().c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        throw std::system_error(result, std::system_category(),
                                "Не удалось запустить " + executable.string());
    return pid;
}

} // namespace clarivex
