#include "app/cli/arguments.h"

#include <algorithm>

namespace clarivex::Main {

namespace {

bool contains(const Arguments& arguments, const std::string& flag) {
    return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
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
    if (const auto target = value(arguments, "--target"))
        result.target = targetFromCommandLine(*target).value_or(Target::uhd4k);
    if (const auto model = value(arguments, "--model"))
        result.model = modelChoiceFromRaw(*model).value_or(ModelChoice::automatic);
    result.seamlessLoop = contains(arguments, "--loop");
    result.copyToPictures = !contains(arguments, "--no-pictures");
    return result;
}

Mode mode(const Arguments& arguments) {
    // After a "--" every argument is a file of the window, however it is spelled.
    const Arguments options(arguments.begin(), std::find(arguments.begin(), arguments.end(), "--"));
    if (const auto file = value(options, "--cli"))
        return Mode{Mode::Kind::commandLine, *file, {}};
    const auto snapshot = std::find(options.begin(), options.end(), "--snapshot");
    if (snapshot != options.end() && std::next(snapshot) != options.end())
        return Mode{
            Mode::Kind::snapshot, *std::next(snapshot),
            Arguments(arguments.begin() + (snapshot - options.begin()) + 2, arguments.end())};
    return Mode{};
}

} // namespace clarivex::Main
