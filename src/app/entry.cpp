#include "app/entry.h"

#include "app/cli/command_line.h"
#include "app/shell/window_application.h"
#include "app/snapshot/snapshot.h"
#include "core/image/image_ops.h"

#include <algorithm>
#include <csignal>

namespace clarivex::Main {

namespace {

bool contains(const Arguments& arguments, const std::string& flag) {
    return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
}

Target targetFromCommandLine(const std::optional<std::string>& text) {
    if (text == "1080p")
        return Target::fullHD;
    if (text == "x2")
        return Target::x2;
    if (text == "x4")
        return Target::x4;
    return Target::uhd4k;
}

} // namespace

std::optional<std::string> value(const Arguments& arguments, const std::string& name) {
    const auto found = std::find(arguments.begin(), arguments.end(), name);
    if (found == arguments.end() || std::next(found) == arguments.end())
        return std::nullopt;
    return *std::next(found);
}

Options options(const Arguments& arguments) {
    Options result;
    result.target = targetFromCommandLine(value(arguments, "--target"));
    if (const auto model = value(arguments, "--model"))
        result.model = modelChoiceFromRaw(*model).value_or(ModelChoice::automatic);
    result.seamlessLoop = contains(arguments, "--loop");
    result.copyToPictures = !contains(arguments, "--no-pictures");
    return result;
}

Mode mode(const Arguments& arguments) {
    if (const auto file = value(arguments, "--cli"))
        return Mode{Mode::Kind::commandLine, *file, {}};
    const auto snapshot = std::find(arguments.begin(), arguments.end(), "--snapshot");
    if (snapshot != arguments.end() && std::next(snapshot) != arguments.end())
        return Mode{Mode::Kind::snapshot, *std::next(snapshot),
                    Arguments(std::next(snapshot, 2), arguments.end())};
    return Mode{};
}

int main(int argc, char** argv) {
    // A dead encoder must make our pipe write fail, not kill the whole process.
    std::signal(SIGPIPE, SIG_IGN);
    // Before any thread exists: the window decodes previews and runs a job at the same time.
    ImageOps::start();
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
