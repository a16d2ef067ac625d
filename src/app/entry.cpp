#include "app/entry.h"

#include "app/cli/arguments.h"
#include "app/cli/command_line.h"

#include <clocale>
#include <csignal>
#include <cstdio>

namespace clarivex::Main {

namespace {

int notBuiltYet(const char* what) {
    std::printf("%s пока не готов в этой сборке.\n", what);
    std::fflush(stdout);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // A dead encoder must make our pipe write fail, not kill the whole process.
    std::signal(SIGPIPE, SIG_IGN);
    // The system's reasons for failed calls come in the user's language where it has them;
    // numbers keep the C locale, so that printed decimals keep their point.
    std::setlocale(LC_MESSAGES, "");
    const Arguments arguments(argv, argv + argc);
    const Mode selected = mode(arguments);
    switch (selected.kind) {
    case Mode::Kind::commandLine:
        return cli(arguments, selected.file);
    case Mode::Kind::snapshot:
        return notBuiltYet("Режим снимка");
    case Mode::Kind::window:
        return notBuiltYet("Оконный режим");
    }
    return 1;
}

} // namespace clarivex::Main
