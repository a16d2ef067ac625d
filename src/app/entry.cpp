#include "app/entry.h"

#include "app/cli/arguments.h"
#include "app/cli/command_line.h"
#include "app/shell/window_application.h"
#include "app/snapshot/snapshot.h"
#include "core/image/image_ops.h"

#include <clocale>
#include <csignal>
#include <exception>

namespace clarivex::Main {

int main(int argc, char** argv) {
    // A dead encoder must make our pipe write fail, not kill the whole process.
    std::signal(SIGPIPE, SIG_IGN);
    // The system's reasons for failed calls come in the user's language where it has them;
    // numbers keep the C locale, so that printed decimals keep their point.
    std::setlocale(LC_MESSAGES, "");
    // Before any thread exists: the window decodes previews and runs a job at the same time.
    // A failed start is not fatal here: the first job that needs libvips reports it.
    try {
        ImageOps::startVips();
    } catch (const std::exception&) {
    }
    const Arguments arguments(argv, argv + argc);
    const Mode selected = mode(arguments);
    switch (selected.kind) {
    case Mode::Kind::commandLine:
        return cli(arguments, selected.file);
    case Mode::Kind::snapshot:
        return snapshot(argc, argv, selected.file, selected.files);
    case Mode::Kind::window:
        return window(argc, argv);
    }
    return 1;
}

} // namespace clarivex::Main
