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
    if (const auto file = value(arguments, "--cli"))
        return Mode{Mode::Kind::commandLine, *file, {}};
    const auto snapshot = std::find(arguments.begin(), arguments.end(), "--snapshot");
    if (snapshot != arguments.end() && std::next(snapshot) != arguments.end())
        return Mode{Mode::Kind::snapshot, *std::next(snapshot),
                    Arguments(std::next(snapshot, 2), arguments.end())};
    return Mode{};
}

} // namespace clarivex::Main
